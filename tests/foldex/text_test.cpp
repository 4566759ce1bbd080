#include "text.h"

#include <gtest/gtest.h>

namespace foldex {
namespace {

std::vector<std::string> Texts(std::string_view bytes) {
  std::vector<std::string> result;
  for (const Line& line : SplitLines(bytes))
    result.push_back(std::string(TextOf(bytes, line)) + "|" + std::string(BreakOf(bytes, line)));
  return result;
}

TEST(FoldexText, LinesEndAtCrLfCrOrLoneLf) {
  EXPECT_EQ(Texts("a\r\nb\rc\nd"),
            (std::vector<std::string>{"a|\r\n", "b|\r", "c|\n", "d|"}));
  EXPECT_EQ(Texts("a\r\r\n"), (std::vector<std::string>{"a|\r", "|\r\n"}));
  EXPECT_EQ(Texts(""), std::vector<std::string>{});
}

TEST(FoldexText, LinesCoverEveryByte) {
  std::string bytes = "x\r\n\n\r\xe4\xff\r";
  std::string joined;
  for (const Line& line : SplitLines(bytes))
    joined += std::string(bytes.substr(line.begin, line.next - line.begin));
  EXPECT_EQ(joined, bytes);
}

TEST(FoldexText, TheWalkerGivesTheLinesOfTheList) {
  for (std::string bytes : {std::string("a\r\nb\rc\nd"), std::string("\n\n\r\r\n"),
                            std::string("no break"), std::string("x\r"), std::string(),
                            std::string(100000, 'x') + "\n" + std::string(3, '\r')}) {
    std::vector<Line> walked;
    LineWalker walker(bytes);
    for (Line line; walker.Next(line);) walked.push_back(line);
    std::vector<Line> listed = SplitLines(bytes);
    ASSERT_EQ(walked.size(), listed.size()) << bytes.size();
    std::size_t expectedStart = 0;
    for (const Line& line : walked) {
      EXPECT_EQ(line.begin, expectedStart);
      expectedStart = line.next;
    }
    EXPECT_EQ(expectedStart, bytes.size());
  }
}

TEST(FoldexText, MarkersAreFoundInAnyCaseWithoutCopying) {
  EXPECT_EQ(FindMarker("  PTP ;fOlD x", ";FOLD"), 6u);
  EXPECT_EQ(FindMarker(";;;endfold", ";ENDFOLD"), 2u);
  EXPECT_EQ(FindMarker("; FOLD", ";FOLD"), std::string_view::npos);
  EXPECT_EQ(FindMarker(";FOL", ";FOLD"), std::string_view::npos);
  EXPECT_EQ(FindMarker("", ";FOLD"), std::string_view::npos);
  EXPECT_EQ(FindMarker("x;\xe4" "FOLD;FOLD", ";FOLD"), 7u);
}

TEST(FoldexText, FileBreakIsTheFirstOneFound) {
  std::string lf = "a\nb\r\n";
  EXPECT_EQ(FileBreak(lf, SplitLines(lf)), "\n");
  std::string none = "only";
  EXPECT_EQ(FileBreak(none, SplitLines(none)), "\r\n");
}

TEST(FoldexText, LikeAndHelpers) {
  EXPECT_TRUE(Like("USER INIT", "USER*"));
  EXPECT_FALSE(Like("MY USER", "USER*"));
  EXPECT_TRUE(Like("BASE_NAME[17,]", "BASE_NAME[*]"));
  EXPECT_FALSE(Like("BASE_NAME", "BASE_NAME[*]"));
  EXPECT_TRUE(Like("A1B", "A?B"));
  EXPECT_TRUE(HasWildcard("A*"));
  EXPECT_FALSE(HasWildcard("BASE_DATA[3]"));
  EXPECT_EQ(Upper("user \xe4x"), "USER \xe4X");
  EXPECT_EQ(Trim(" \t a b\t "), "a b");
}

}  // namespace
}  // namespace foldex
