#include "folds.h"

#include <gtest/gtest.h>

#include <vector>

namespace foldex {
namespace {

FoldTree Parse(const std::string& bytes) { return ParseFolds(bytes, SplitLines(bytes)); }

TEST(FoldexFolds, MarkersInAnyCaseAndPlace) {
  EXPECT_TRUE(IsFoldOpen("  PTP HOME ;fold x"));
  EXPECT_FALSE(IsFoldOpen("; FOLD x"));
  EXPECT_TRUE(IsFoldClose(";endfold (x)"));
  EXPECT_FALSE(IsFoldClose(";ENDFOLD ;FOLD y"));
  EXPECT_TRUE(IsFoldOpen(";ENDFOLD ;FOLD y"));
  // Every ";" is looked at: a marker after another one, cut-off markers.
  struct Case {
    const char* line;
    bool open, close;
  };
  for (Case c : std::vector<Case>{{";;fold", true, false},
                                  {"a; b ;EndFold", false, true},
                                  {";ENDFOLD;ENDFOLD", false, true},
                                  {";endfol", false, false},
                                  {";FOL", false, false},
                                  {"x;", false, false},
                                  {";ENDFOLD x ;Fold", true, false}}) {
    EXPECT_EQ(IsFoldOpen(c.line), c.open) << c.line;
    EXPECT_EQ(IsFoldClose(c.line), c.close) << c.line;
  }
}

TEST(FoldexFolds, NameRunsToTheNextSemicolonTrimmed) {
  EXPECT_EQ(FoldName(";FOLD  USER INI ;%{PE}%R 8"), "USER INI");
  EXPECT_EQ(FoldName("x ;fold Basis\t"), "Basis");
  EXPECT_EQ(FoldName(";FOLD"), "");
  EXPECT_EQ(FoldName(";ENDFOLD ;FOLD B;x"), "B");
}

TEST(FoldexFolds, NestedFoldsKnowParentsAndChildren) {
  FoldTree tree = Parse(";FOLD A\r\n;FOLD B\r\nx\r\n;ENDFOLD\r\n;ENDFOLD\r\n;fold c\n;endfold\n");
  ASSERT_TRUE(tree.faults.empty());
  ASSERT_EQ(tree.folds.size(), 3u);
  EXPECT_EQ(tree.folds[0].key, "A");
  EXPECT_TRUE(tree.folds[0].holdsFold);
  EXPECT_EQ(tree.folds[0].close, 4u);
  EXPECT_EQ(tree.folds[1].parent, 0);
  EXPECT_EQ(tree.folds[1].open, 1u);
  EXPECT_EQ(tree.folds[1].close, 3u);
  EXPECT_FALSE(tree.folds[1].holdsFold);
  EXPECT_EQ(tree.folds[2].name, "c");
  EXPECT_EQ(tree.folds[2].key, "C");
  EXPECT_EQ(tree.folds[2].parent, -1);
}

TEST(FoldexFolds, UnbalancedMarkersAreFaults) {
  EXPECT_EQ(Parse("x\r\n;ENDFOLD\r\n").faults,
            (std::vector<std::string>{"line 2: ENDFOLD without an open fold"}));
  EXPECT_EQ(Parse(";FOLD A\r\n;FOLD B\r\n;ENDFOLD\r\n").faults,
            (std::vector<std::string>{"line 1: fold A is not closed"}));
}

TEST(FoldexFolds, WithoutALineListTheSameFoldsAndTheirBytes) {
  const std::string bytes =
      "x\r\n;FOLD A;%c\r\n;fold B\ny\r;ENDFOLD\r\n;endfold (A)\r\n;FOLD C\r\n;ENDFOLD";
  FoldTree listed = Parse(bytes);
  FoldTree walked = ParseFolds(bytes);
  ASSERT_EQ(walked.folds.size(), 3u);
  ASSERT_EQ(listed.folds.size(), walked.folds.size());
  for (std::size_t i = 0; i < walked.folds.size(); ++i) {
    EXPECT_EQ(walked.folds[i].key, listed.folds[i].key);
    EXPECT_EQ(walked.folds[i].open, listed.folds[i].open);
    EXPECT_EQ(walked.folds[i].close, listed.folds[i].close);
    EXPECT_EQ(walked.folds[i].parent, listed.folds[i].parent);
    EXPECT_EQ(walked.folds[i].holdsFold, listed.folds[i].holdsFold);
  }
  const Fold& a = walked.folds[0];
  EXPECT_EQ(TextOf(bytes, a.openLine), ";FOLD A;%c");
  EXPECT_EQ(BreakOf(bytes, a.openLine), "\r\n");
  EXPECT_EQ(bytes.substr(a.openLine.begin, a.closeEnd - a.openLine.begin),
            ";FOLD A;%c\r\n;fold B\ny\r;ENDFOLD\r\n;endfold (A)");
  EXPECT_EQ(bytes.substr(walked.folds[2].openLine.begin), ";FOLD C\r\n;ENDFOLD");
  EXPECT_EQ(walked.folds[2].closeEnd, bytes.size());
  EXPECT_EQ(ParseFolds(";ENDFOLD\n;FOLD X\n").faults,
            (std::vector<std::string>{"line 1: ENDFOLD without an open fold",
                                      "line 2: fold X is not closed"}));
}

}  // namespace
}  // namespace foldex
