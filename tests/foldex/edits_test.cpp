#include "edits.h"

#include <gtest/gtest.h>

namespace foldex {
namespace {

TEST(FoldexEdits, ChangesOnlyTheNamedBytes) {
  std::string bytes = "a\r\nb\nc\rd";
  std::vector<Line> lines = SplitLines(bytes);
  Edits edits;
  EXPECT_TRUE(edits.empty());
  edits.Replace(lines, 1, 2, "X");
  edits.Insert(lines[1].begin, "new\r\n");
  edits.Insert(bytes.size(), "\r\nend");
  EXPECT_EQ(edits.Apply(bytes), "a\r\nnew\r\nX\rd\r\nend");
}

TEST(FoldexEdits, NothingToApplyGivesTheSameBytes) {
  std::string bytes = "x\r\n\xff";
  EXPECT_EQ(Edits().Apply(bytes), bytes);
}

TEST(FoldexEdits, ChangesTellsWhetherTheBytesWouldDiffer) {
  std::string bytes = ";FOLD A\r\nx\r\n;ENDFOLD\r\nrest";
  Edits same;
  same.ReplaceBytes(0, 20, ";FOLD A\r\nx\r\n;ENDFOLD");
  EXPECT_FALSE(same.Changes(bytes));
  Edits other;
  other.ReplaceBytes(0, 20, ";FOLD A\r\ny\r\n;ENDFOLD");
  EXPECT_TRUE(other.Changes(bytes));
  EXPECT_EQ(other.Apply(bytes), ";FOLD A\r\ny\r\n;ENDFOLD\r\nrest");
}

TEST(FoldexEdits, EmitHandsOverThePiecesOfApplyInOrder) {
  std::string bytes = "a\r\nb\nc\rd";
  std::vector<Line> lines = SplitLines(bytes);
  Edits edits;
  edits.Insert(bytes.size(), "!");
  edits.Replace(lines, 1, 1, "B");
  std::vector<std::string> pieces;
  edits.Emit(bytes, [&](std::string_view piece) { pieces.emplace_back(piece); });
  EXPECT_EQ(pieces, (std::vector<std::string>{"a\r\n", "B", "\nc\rd", "!", ""}));
}

}  // namespace
}  // namespace foldex
