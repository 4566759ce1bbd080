#include <gtest/gtest.h>

#include <filesystem>

#include "foldex.h"
#include "support/test_env.h"

namespace foldex {
namespace {

const char* kControl = "C:\\prog\\Vantrel\\x_of.upg";
const char* kStore = "C:\\prog\\Vantrel\\x.add";

FoldControl Save(std::vector<std::string> include, std::vector<std::string> except = {},
                 bool leafOnly = false) {
  FoldControl control;
  control.action = Action::kSave;
  control.store = "x.add";
  control.include = std::move(include);
  control.except = std::move(except);
  control.leafOnly = leafOnly;
  return control;
}

class FoldexSave : public ::testing::Test {
 protected:
  testenv::ScratchDrive drive;
  Problems problems;
  void SetUp() override { drive.MakeFolder("C:\\prog\\Vantrel"); }
};

TEST_F(FoldexSave, NamedFoldsGoWholeAndNestedOnesWithTheirParent) {
  drive.Write("C:\\OLD\\SPS.SUB",
              "DEF SPS()\r\n;FOLD User Init;%{PE}\r\n a\r\n;FOLD USER SUB\r\n b\r\n;ENDFOLD\r\n"
              ";ENDFOLD (USER INIT)\r\n;FOLD SYS\r\n;FOLD USER PLC\r\n c\r\n;ENDFOLD\r\n"
              ";ENDFOLD\r\nEND\r\n");
  EXPECT_TRUE(SaveFolds("C:\\OLD\\SPS.SUB", kControl, Save({"USER*"}), problems));
  EXPECT_TRUE(problems.empty());
  EXPECT_EQ(drive.Read(kStore),
            "; Foldex store: 2 saved\r\n;FOLD User Init;%{PE}\r\n a\r\n;FOLD USER SUB\r\n b\r\n"
            ";ENDFOLD\r\n;ENDFOLD (USER INIT)\r\n;FOLD USER PLC\r\n c\r\n;ENDFOLD\r\n");
}

TEST_F(FoldexSave, TemplateSelectionLeavesOutUserFoldsAndFoldsHoldingFolds) {
  drive.Write("C:\\T\\Vorgabe.src",
              "DEF Vorgabe()\n;FOLD INI\n;FOLD BASISTECH INI\n x\n;ENDFOLD\n;FOLD USER INI\n"
              ";ENDFOLD\n;ENDFOLD\n;FOLD PTP HOME\n;ENDFOLD\n;FOLD ;%{H}\n;ENDFOLD\nEND\n");
  EXPECT_TRUE(SaveFolds("C:\\T\\Vorgabe.src", kControl, Save({"*"}, {"USER*"}, true), problems));
  EXPECT_EQ(drive.Read(kStore),
            "; Foldex store: 2 saved\r\n;FOLD BASISTECH INI\r\n x\r\n;ENDFOLD\r\n"
            ";FOLD PTP HOME\r\n;ENDFOLD\r\n");
}

TEST_F(FoldexSave, AMissingExactNameSavesNothing) {
  drive.Write(kStore, "; Foldex store: 1 saved\r\n;FOLD OLD\r\n;ENDFOLD\r\n");
  drive.Write("C:\\OLD\\A.SRC", ";FOLD A\r\n;ENDFOLD\r\n");
  EXPECT_FALSE(SaveFolds("C:\\OLD\\A.SRC", kControl, Save({"A", "B", "C*"}), problems));
  EXPECT_EQ(problems,
            (Problems{"C:\\OLD\\A.SRC: no fold named B", "C:\\OLD\\A.SRC: folds not saved"}));
  EXPECT_FALSE(drive.Exists(kStore));
}

TEST_F(FoldexSave, AFailedSaveLeavesNoOldStoreBehind) {
  drive.Write(kStore, "; Foldex store: 1 saved\r\n;FOLD OLD\r\n;ENDFOLD\r\n");
  EXPECT_FALSE(SaveFolds("C:\\OLD\\MISSING.SUB", kControl, Save({"USER*"}), problems));
  EXPECT_FALSE(drive.Exists(kStore));
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0].rfind("C:\\OLD\\MISSING.SUB: cannot read: ", 0), 0u) << problems[0];
}

TEST_F(FoldexSave, AStoreThatHoldsTheSameFoldsIsNotWrittenAgain) {
  namespace fs = std::filesystem;
  const fs::path store = drive.Host(kStore);
  const auto old = fs::file_time_type::clock::now() - std::chrono::hours(24 * 365);
  struct Case {
    std::string source, held, stored;
    bool written;
  } cases[] = {
      {";FOLD USER A\r\n a\r\n;ENDFOLD\r\n",
       "; Foldex store: 1 saved\r\n;FOLD USER A\r\n a\r\n;ENDFOLD\r\n",
       "; Foldex store: 1 saved\r\n;FOLD USER A\r\n a\r\n;ENDFOLD\r\n", false},
      {";FOLD USER A\r\n b\r\n;ENDFOLD\r\n",
       "; Foldex store: 1 saved\r\n;FOLD USER A\r\n a\r\n;ENDFOLD\r\n",
       "; Foldex store: 1 saved\r\n;FOLD USER A\r\n b\r\n;ENDFOLD\r\n", true},
      {";FOLD USER A\r\n;ENDFOLD\r\n",
       "; Foldex store: 1 saved\r\n;FOLD USER A\r\n;ENDFOLD\r\n\r\n",
       "; Foldex store: 1 saved\r\n;FOLD USER A\r\n;ENDFOLD\r\n", true},
  };
  for (const Case& c : cases) {
    drive.Write("C:\\OLD\\A.SRC", c.source);
    drive.Write(kStore, c.held);
    fs::last_write_time(store, old);
    const auto held = fs::last_write_time(store);  // as finely as the file system keeps it
    EXPECT_TRUE(SaveFolds("C:\\OLD\\A.SRC", kControl, Save({"USER*"}), problems));
    EXPECT_EQ(drive.Read(kStore), c.stored);
    EXPECT_EQ(fs::last_write_time(store) != held, c.written) << c.source;
  }
  EXPECT_TRUE(problems.empty());
}

TEST_F(FoldexSave, UnpairedMarkersSaveNothing) {
  drive.Write(kStore, "old");
  drive.Write("C:\\OLD\\B.SUB", ";FOLD USER A\r\n;FOLD USER B\r\n;ENDFOLD\r\n");
  EXPECT_FALSE(SaveFolds("C:\\OLD\\B.SUB", kControl, Save({"USER*"}), problems));
  EXPECT_EQ(problems,
            (Problems{"C:\\OLD\\B.SUB, line 1: fold USER A is not closed",
                      "C:\\OLD\\B.SUB: folds not saved, the fold markers do not pair up"}));
  EXPECT_FALSE(drive.Exists(kStore));
}

}  // namespace
}  // namespace foldex
