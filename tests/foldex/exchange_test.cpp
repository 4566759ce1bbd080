#include <gtest/gtest.h>


#include "foldex.h"
#include "support/test_env.h"

namespace foldex {
namespace {

const char* kControl = "C:\\prog\\Vantrel\\x_nf.upg";
const char* kStore = "C:\\prog\\Vantrel\\x.add";
const char* kTarget = "C:\\NEW\\SPS.SUB";

FoldControl Exchange() {
  FoldControl control;
  control.action = Action::kExchange;
  control.store = "x.add";
  return control;
}

class FoldexExchange : public ::testing::Test {
 protected:
  testenv::ScratchDrive drive;
  Problems problems;
  void Store(const std::string& folds) {
    drive.Write(kStore, "; Foldex store: n saved\r\n" + folds);
  }
  bool Run() { return ExchangeFolds(kTarget, kControl, Exchange(), problems); }
};

TEST_F(FoldexExchange, StoredFoldsReplaceTheirTwinsAndNothingElse) {
  Store(";FOLD USER INIT;%{PE}\r\n old\r\n;ENDFOLD\r\n");
  const std::string before = "DEF SPS()\r\n\xe4\xff raw\n";
  const std::string after = "; after \r\r\nEND";
  drive.Write(kTarget, before + ";fold user init\r\n new 1\r\n new 2\r\n;ENDFOLD (USER INIT)\r\n" +
                           after);
  EXPECT_TRUE(Run());
  EXPECT_TRUE(problems.empty());
  EXPECT_EQ(drive.Read(kTarget), before + ";FOLD USER INIT;%{PE}\r\n old\r\n;ENDFOLD\r\n" + after);
}

TEST_F(FoldexExchange, TheBlockTakesTheTargetsLineBreak) {
  Store(";FOLD A\r\n x\r\n;ENDFOLD\r\n");
  drive.Write(kTarget, "top\n;FOLD A\n y\n;ENDFOLD");
  EXPECT_TRUE(Run());
  EXPECT_EQ(drive.Read(kTarget), "top\n;FOLD A\n x\n;ENDFOLD");
}

TEST_F(FoldexExchange, TargetFoldsWithoutTwinStayAndFoldsInsideReplacedOnesAreNotLookedAt) {
  Store(";FOLD OUTER\r\n;FOLD INNER\r\n new\r\n;ENDFOLD\r\n;ENDFOLD\r\n");
  drive.Write(kTarget, ";FOLD KEEP\r\n k\r\n;ENDFOLD\r\n;FOLD OUTER\r\n;FOLD INNER\r\n old\r\n"
                       ";ENDFOLD\r\n;ENDFOLD\r\n");
  EXPECT_TRUE(Run());
  EXPECT_EQ(drive.Read(kTarget), ";FOLD KEEP\r\n k\r\n;ENDFOLD\r\n;FOLD OUTER\r\n;FOLD INNER\r\n"
                                 " new\r\n;ENDFOLD\r\n;ENDFOLD\r\n");
}

// The target has no place for it: the others are exchanged, and that is
// the whole step.
TEST_F(FoldexExchange, ASavedFoldWithoutTwinIsLeftOutAndTheStepIsDone) {
  Store(";FOLD USER A\r\n a\r\n;ENDFOLD\r\n;FOLD USER GONE\r\n g\r\n;ENDFOLD\r\n");
  drive.Write(kTarget, "x\r\n;FOLD USER A\r\n;ENDFOLD\r\n");
  EXPECT_TRUE(Run());
  EXPECT_TRUE(problems.empty());
  EXPECT_EQ(drive.Read(kTarget), "x\r\n;FOLD USER A\r\n a\r\n;ENDFOLD\r\n");
}

TEST_F(FoldexExchange, OneSavedFoldServesEveryTwinSeveralPairInOrder) {
  Store(";FOLD INI\r\n i\r\n;ENDFOLD\r\n;FOLD P\r\n 1\r\n;ENDFOLD\r\n;FOLD P\r\n 2\r\n"
        ";ENDFOLD\r\n;FOLD P\r\n 3\r\n;ENDFOLD\r\n");
  drive.Write(kTarget, ";FOLD INI\r\n;ENDFOLD\r\n;FOLD P\r\n;ENDFOLD\r\n;FOLD INI\r\n;ENDFOLD\r\n"
                       ";FOLD P\r\n;ENDFOLD\r\n");
  EXPECT_TRUE(Run());
  EXPECT_TRUE(problems.empty());
  EXPECT_EQ(drive.Read(kTarget), ";FOLD INI\r\n i\r\n;ENDFOLD\r\n;FOLD P\r\n 1\r\n;ENDFOLD\r\n"
                                 ";FOLD INI\r\n i\r\n;ENDFOLD\r\n;FOLD P\r\n 2\r\n;ENDFOLD\r\n");
}

TEST_F(FoldexExchange, WithoutAStoreTheTargetStaysAsItWas) {
  drive.Write(kTarget, ";FOLD A\r\n;ENDFOLD\r\n");
  EXPECT_FALSE(Run());
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0].rfind("C:\\prog\\Vantrel\\x.add: no saved folds (", 0), 0u);
  EXPECT_EQ(drive.Read(kTarget), ";FOLD A\r\n;ENDFOLD\r\n");
}

TEST_F(FoldexExchange, UnpairedTargetMarkersLeaveTheTargetAsItWas) {
  Store(";FOLD A\r\n new\r\n;ENDFOLD\r\n");
  const std::string target = ";FOLD A\r\n old\r\n;ENDFOLD\r\n;ENDFOLD\r\n";
  drive.Write(kTarget, target);
  EXPECT_FALSE(Run());
  EXPECT_EQ(problems, (Problems{"C:\\NEW\\SPS.SUB, line 4: ENDFOLD without an open fold",
                                "C:\\NEW\\SPS.SUB: left as it was, the fold markers do not pair up"}));
  EXPECT_EQ(drive.Read(kTarget), target);
}

TEST_F(FoldexExchange, AMissingTargetIsAProblem) {
  Store(";FOLD A\r\n;ENDFOLD\r\n");
  EXPECT_FALSE(Run());
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0].rfind("C:\\NEW\\SPS.SUB: cannot read: ", 0), 0u);
  EXPECT_FALSE(drive.Exists(kTarget));
}

TEST_F(FoldexExchange, LargeAndDeeplyNestedFiles) {
  const int count = 50000;
  std::string store = "; Foldex store: n saved\r\n", target;
  for (int i = 0; i < count; ++i) {
    store += ";FOLD F" + std::to_string(i) + "\r\n new\r\n;ENDFOLD\r\n";
    target += ";FOLD F" + std::to_string(i) + "\r\n old\r\n;ENDFOLD\r\n";
  }
  for (int i = 0; i < count; ++i) target += ";FOLD DEEP\r\n";
  for (int i = 0; i < count; ++i) target += ";ENDFOLD\r\n";
  drive.Write(kStore, store);
  drive.Write(kTarget, target);
  EXPECT_TRUE(Run());
  std::string result = drive.Read(kTarget);
  EXPECT_EQ(result.find(" old"), std::string::npos);
  EXPECT_EQ(result.size(), target.size());
}

}  // namespace
}  // namespace foldex
