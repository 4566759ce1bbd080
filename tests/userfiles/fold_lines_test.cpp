#include "userfiles/fold_lines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class RecordingSink : public FoldLineSink {
 public:
  std::vector<std::string> lines;
  void FoldOpenLine(uint64_t line) override { lines.push_back("open " + std::to_string(line)); }
  void FoldCloseLine(uint64_t line) override { lines.push_back("close " + std::to_string(line)); }
};

std::vector<std::string> ScanInPieces(const std::string& text, const std::vector<std::size_t>& cuts) {
  RecordingSink sink;
  FoldLineReader reader(sink);
  std::size_t from = 0;
  for (std::size_t cut : cuts) {
    reader.Feed(text.data() + from, cut - from);
    from = cut;
  }
  reader.Feed(text.data() + from, text.size() - from);
  reader.Finish();
  return sink.lines;
}

// The result of reading text whole, after checking that every way of
// cutting it in two, and cutting it into single bytes, gives the same.
std::vector<std::string> Scan(const std::string& text) {
  std::vector<std::string> whole = ScanInPieces(text, {});
  for (std::size_t cut = 0; cut <= text.size(); ++cut)
    EXPECT_EQ(ScanInPieces(text, {cut}), whole) << "cut at " << cut;
  std::vector<std::size_t> everyByte;
  for (std::size_t cut = 1; cut < text.size(); ++cut) everyByte.push_back(cut);
  EXPECT_EQ(ScanInPieces(text, everyByte), whole) << "single bytes";
  return whole;
}

using Lines = std::vector<std::string>;

TEST(FoldLineReader, NestedFoldsWithCrLf) {
  EXPECT_EQ(Scan("DEF A()\r\n;FOLD one\r\n;FOLD two\r\nx=1\r\n;ENDFOLD\r\n;ENDFOLD\r\nEND\r\n"),
            (Lines{"open 2", "open 3", "close 5", "close 6"}));
}

TEST(FoldLineReader, MarkersInAnyCaseAndWithTextAround) {
  EXPECT_EQ(Scan(";fold a\r  PTP P1 ;FoLd x\r;FOLDER LIST\r  ;EndFold\r;endfold x\r"),
            (Lines{"open 1", "open 2", "open 3", "close 4", "close 5"}));
}

TEST(FoldLineReader, BlankAfterSemicolonIsNoMarker) {
  EXPECT_EQ(Scan("; ENDFOLD\r\n; FOLD\r\n;END FOLD\r\n;EN;ENDFOLD\r\n"), (Lines{"close 4"}));
}

TEST(FoldLineReader, BothMarkersOnOneLineOpenOnly) {
  EXPECT_EQ(Scan(";FOLD a;ENDFOLD\r\n;ENDFOLD ;FOLD\r\n"), (Lines{"open 1", "open 2"}));
}

TEST(FoldLineReader, RepeatedSemicolonsRestartTheMatch) {
  EXPECT_EQ(Scan(";;FOLD\r;;;ENDFOLD\r;FO;FOLD\r;FOL\r"), (Lines{"open 1", "close 2", "open 3"}));
}

TEST(FoldLineReader, LineFeedAloneIsText) {
  EXPECT_EQ(Scan(";FOLD\n;ENDFOLD\n"), (Lines{"open 1"}));
  EXPECT_EQ(Scan("x\n;ENDFOLD\n"), (Lines{"close 1"}));
  // A line feed inside a marker breaks it.
  EXPECT_EQ(Scan(";FO\nLD\r"), (Lines{}));
}

TEST(FoldLineReader, OnlyOneLineFeedBelongsToTheBreak) {
  // The second line feed starts line 2; the lone carriage returns make
  // lines of their own.
  EXPECT_EQ(Scan("a\r\n\n;FOLD\r\r;ENDFOLD\r\n\r\n;ENDFOLD"),
            (Lines{"open 2", "close 4", "close 6"}));
}

TEST(FoldLineReader, LastLineWithoutBreakCounts) {
  EXPECT_EQ(Scan("x\r\n;ENDFOLD"), (Lines{"close 2"}));
}

TEST(FoldLineReader, EmptyInputAndNoMarkers) {
  EXPECT_EQ(Scan(""), (Lines{}));
  EXPECT_EQ(Scan("\r\n\r\nDEF X()\r\nEND\r\n"), (Lines{}));
}

TEST(FoldLineReader, BytesAboveAsciiAndZerosAreText) {
  std::string text = std::string("\xE4\xF6;fold\0x\r\n", 11) + ";\xC4NDFOLD\r\n;ENDFOLD";
  EXPECT_EQ(Scan(text), (Lines{"open 1", "close 3"}));
}

TEST(FoldLineReader, LineNumbersBeyondSixteenBits) {
  std::string text;
  for (int i = 0; i < 70000; ++i) text += "x\r\n";
  text += ";FOLD\r\n;ENDFOLD\r\n";
  EXPECT_EQ(ScanInPieces(text, {}), (Lines{"open 70001", "close 70002"}));
}

}  // namespace
