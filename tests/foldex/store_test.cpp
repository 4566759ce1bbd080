#include "store.h"

#include <gtest/gtest.h>

#include "support/test_env.h"

namespace foldex {
namespace {

TEST(FoldexStore, LiesInTheControlFolder) {
  EXPECT_EQ(StorePath("\\prog\\Vantrel\\a_of.upg", "a.add"), "\\prog\\Vantrel\\a.add");
  EXPECT_EQ(StorePath("C:/x/a_of.upg", "a.add"), "C:/x/a.add");
  EXPECT_EQ(StorePath("a_of.upg", "a.add"), "a.add");
}

TEST(FoldexStore, ReadsBackTheTopFoldsOfItsText) {
  testenv::ScratchDrive drive;
  std::string source = "x\r\n;FOLD A\r\n;FOLD B\r\n;ENDFOLD\r\n;ENDFOLD\r\n;fold c;%x\n;endfold";
  std::vector<Line> lines = SplitLines(source);
  FoldTree tree = ParseFolds(source, lines);
  drive.Write("C:\\s.add", StoreText(source, lines, {&tree.folds[0], &tree.folds[2]}));
  std::vector<StoredFold> folds;
  Problems problems;
  ASSERT_TRUE(ReadStore("C:\\s.add", folds, problems));
  ASSERT_EQ(folds.size(), 2u);
  EXPECT_EQ(folds[0].key, "A");
  EXPECT_EQ(folds[0].lines,
            (std::vector<std::string>{";FOLD A", ";FOLD B", ";ENDFOLD", ";ENDFOLD"}));
  EXPECT_EQ(folds[1].name, "c");
  EXPECT_EQ(folds[1].lines, (std::vector<std::string>{";fold c;%x", ";endfold"}));
}

TEST(FoldexStore, MissingOrDamagedStoreIsAProblem) {
  testenv::ScratchDrive drive;
  std::vector<StoredFold> folds;
  Problems problems;
  EXPECT_FALSE(ReadStore("C:\\none.add", folds, problems));
  drive.Write("C:\\bad.add", ";FOLD A\r\n");
  EXPECT_FALSE(ReadStore("C:\\bad.add", folds, problems));
  ASSERT_EQ(problems.size(), 2u);
  EXPECT_EQ(problems[0].rfind("C:\\none.add: no saved folds (", 0), 0u) << problems[0];
  EXPECT_EQ(problems[1], "C:\\bad.add: the store is damaged, line 1: fold A is not closed");
}

}  // namespace
}  // namespace foldex
