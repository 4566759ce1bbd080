#include <gtest/gtest.h>

#include "foldex.h"
#include "support/test_env.h"

namespace foldex {
namespace {

const char* kSource = "C:\\OLD\\$CONFIG.DAT";
const char* kTarget = "C:\\NEW\\$CONFIG.DAT";

class FoldexTransfer : public ::testing::Test {
 protected:
  testenv::ScratchDrive drive;
  Problems problems;
  bool Run(std::vector<std::string> names) {
    VariableControl control;
    control.names = std::move(names);
    return TransferVariables(kTarget, kSource, control, problems);
  }
};

TEST_F(FoldexTransfer, IndexedValuesGoIntoTheTargetsDefinitions) {
  drive.Write(kSource,
              "DEFDAT $CONFIG\r\nBASE_DATA[1]={X 10.0}\r\nBASE_DATA[3]={X 30.0}\r\n"
              "BASE_NAME[1,]=\"TABLE\"\r\nTOOL_DATA[1]={X 5.0}\r\nBASE_DATA[3]={X 99.0}\r\n"
              "ENDDAT\r\n");
  const std::string head = "DEFDAT $CONFIG\n;FOLD BASES\nDECL FRAME BASE_DATA[32]\n";
  drive.Write(kTarget, head +
                           "DECL FRAME BASE_DATA[1]={X 0.0}\nbase_data[2]={X 0.0}\n"
                           "BASE_DATA[3] = {X 0.0}\nBASE_NAME[1,]=\" \"\nTOOL_DATA[1]={X 0.0}\n"
                           ";ENDFOLD\nENDDAT\n");
  EXPECT_TRUE(Run({"BASE_DATA[*]", "BASE_NAME[1,]"}));
  EXPECT_TRUE(problems.empty());
  EXPECT_EQ(drive.Read(kTarget), head +
                                     "DECL FRAME BASE_DATA[1]={X 10.0}\nbase_data[2]={X 0.0}\n"
                                     "BASE_DATA[3] ={X 30.0}\nBASE_NAME[1,]=\"TABLE\"\n"
                                     "TOOL_DATA[1]={X 0.0}\n;ENDFOLD\nENDDAT\n");
}

// A value runs to the end of its line, remark included: taking it must not
// bring a fold marker into the target or take one out of it.
TEST_F(FoldexTransfer, AValueThatWouldChangeTheFoldsIsNotTaken) {
  drive.Write(kSource, "A=1 ;FOLD X\r\nB=2\r\nC=3\r\n");
  const std::string target = ";FOLD T\r\nA=0\r\nB=0 ;ENDFOLD\r\nC=0\r\n";
  drive.Write(kTarget, target);
  EXPECT_FALSE(Run({"*"}));
  EXPECT_EQ(
      problems,
      (Problems{std::string(kTarget) + ", line 2: A not set, the new value would change the folds",
                std::string(kTarget) + ", line 3: B not set, the new value would change the folds",
                std::string(kTarget) + ": left as it was, no value taken"}));
  EXPECT_EQ(drive.Read(kTarget), target);
}

// The target has no place for it: the others are taken, and that is the
// whole step.
TEST_F(FoldexTransfer, AVariableTheTargetLacksIsLeftOutAndTheStepIsDone) {
  drive.Write(kSource, "LOAD_DATA[1]={M 1.0}\r\nLOAD_DATA[40]={M 2.0}\r\n");
  drive.Write(kTarget, "LOAD_DATA[1]={M -1.0}\r\n");
  EXPECT_TRUE(Run({"LOAD_DATA[*]", "TOOL_TYPE[*]"}));
  EXPECT_TRUE(problems.empty());
  EXPECT_EQ(drive.Read(kTarget), "LOAD_DATA[1]={M 1.0}\r\n");
}

TEST_F(FoldexTransfer, ANamedVariableTheSourceLacksLeavesTheTargetAsItWas) {
  drive.Write(kSource, "LOAD_DATA[1]={M 1.0}\r\n");
  drive.Write(kTarget, "LOAD_DATA[1]={M -1.0}\r\n");
  EXPECT_FALSE(Run({"LOAD_DATA[*]", "MAX_TOOL"}));
  EXPECT_EQ(problems, (Problems{"C:\\OLD\\$CONFIG.DAT: no definition of MAX_TOOL",
                                "C:\\NEW\\$CONFIG.DAT: left as it was, no value taken"}));
  EXPECT_EQ(drive.Read(kTarget), "LOAD_DATA[1]={M -1.0}\r\n");
}

TEST_F(FoldexTransfer, AMissingSourceLeavesTheTargetAsItWas) {
  drive.Write(kTarget, "BASE_DATA[1]={X 0.0}\r\n");
  EXPECT_FALSE(Run({"BASE_DATA[*]"}));
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_EQ(problems[0].rfind("C:\\OLD\\$CONFIG.DAT: cannot read: ", 0), 0u);
  EXPECT_EQ(drive.Read(kTarget), "BASE_DATA[1]={X 0.0}\r\n");
}

}  // namespace
}  // namespace foldex
