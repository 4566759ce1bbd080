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

}  // namespace
}  // namespace foldex
