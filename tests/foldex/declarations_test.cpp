#include <gtest/gtest.h>

#include "foldex.h"
#include "support/test_env.h"

namespace foldex {
namespace {

const char* kTarget = "C:\\NEW\\$CONFIG.DAT";
const char* kControl = "C:\\prog\\VANTREL\\Config_5x-6x.upg";

class FoldexDeclarations : public ::testing::Test {
 protected:
  testenv::ScratchDrive drive;
  Problems problems;
  bool Run(const std::string& control) {
    return SetDeclarations(kTarget, kControl, control, problems);
  }
};

TEST_F(FoldexDeclarations, ValuesReplacedAndNewLinesAddedBeforeEnddat) {
  drive.Write(kTarget,
              "DEFDAT $CONFIG PUBLIC\r\nINT MAX_BASE=16\r\n"
              "DECL FDAT FDEFAULT={TOOL_NO 1,BASE_NO 0,IPO_FRAME #BASE}\r\n"
              "BASE_NAME[17,]=\"OLD\"\r\n;ENDFOLD\r\nENDDAT\r\n");
  EXPECT_TRUE(Run(";automaticaly created file: Vantrel, V1.0.0,    Date: 1.1.2024, Time: 10:00\r\n"
                  "\r\nINT MAX_BASE=32\r\n"
                  "DECL FDAT FDEFAULT={TOOL_NO 1,BASE_NO 0,IPO_FRAME #BASE,POINT2[] \" \"}\r\n"
                  "BASE_NAME[17,]=\"AXIS1\"\r\nBASE_DATA[17]={X 0.0}\r\n"
                  "MACHINE_DEF[2]={NAME[] \"ROBOT1\",COOP_QVD_INDEX 1}\r\n"));
  EXPECT_TRUE(problems.empty());
  EXPECT_EQ(drive.Read(kTarget),
            "DEFDAT $CONFIG PUBLIC\r\nINT MAX_BASE=32\r\n"
            "DECL FDAT FDEFAULT={TOOL_NO 1,BASE_NO 0,IPO_FRAME #BASE,POINT2[] \" \"}\r\n"
            "BASE_NAME[17,]=\"AXIS1\"\r\n;ENDFOLD\r\nBASE_DATA[17]={X 0.0}\r\n"
            "MACHINE_DEF[2]={NAME[] \"ROBOT1\",COOP_QVD_INDEX 1}\r\nENDDAT\r\n");
}

// Neither an added line nor a new value may open or close a fold of the
// target; then nothing is set.
TEST_F(FoldexDeclarations, LinesThatWouldChangeTheFoldsLeaveTheTargetAsItWas) {
  const std::string target = ";FOLD T\r\nA=0\r\nB=0 ;endfold\r\nENDDAT\r\n";
  drive.Write(kTarget, target);
  EXPECT_FALSE(Run("A=1 ;fold X\r\nN=1 ;ENDFOLD\r\nB=2\r\nM=4\r\n"));
  EXPECT_EQ(
      problems,
      (Problems{std::string(kControl) + ", line 1: holds a fold marker, not set: A=1 ;fold X",
                std::string(kControl) + ", line 2: holds a fold marker, not set: N=1 ;ENDFOLD",
                std::string(kTarget) +
                    ", line 3: holds a fold marker that the new value would remove, not set",
                std::string(kTarget) + ": left as it was, no definition set"}));
  EXPECT_EQ(drive.Read(kTarget), target);
}

TEST_F(FoldexDeclarations, TheTargetKeepsItsDeclarationWordsAndLineBreak) {
  drive.Write(kTarget, "DECL INT MAX_BASE = 16\nenddat ; end\n");
  EXPECT_TRUE(Run("MAX_BASE=32\nINT NEW_ONE=1\r\n"));
  EXPECT_EQ(drive.Read(kTarget), "DECL INT MAX_BASE =32\nINT NEW_ONE=1\nenddat ; end\n");
}

TEST_F(FoldexDeclarations, WithoutEnddatNewLinesGoAtTheEnd) {
  drive.Write(kTarget, "A=1\r\nB=2");
  EXPECT_TRUE(Run("C=3\nC=4\n"));
  EXPECT_EQ(drive.Read(kTarget), "A=1\r\nB=2\r\nC=4\r\n");
}

TEST_F(FoldexDeclarations, ALineThatIsNoDefinitionLeavesTheTargetAsItWas) {
  drive.Write(kTarget, "A=1\r\nENDDAT\r\n");
  EXPECT_FALSE(Run("  ; remark\r\nDECL INT\r\nA=2\r\n"));
  EXPECT_EQ(problems,
            (Problems{"C:\\prog\\VANTREL\\Config_5x-6x.upg, line 2: not a definition: DECL INT",
                      std::string(kTarget) + ": left as it was, no definition set"}));
  EXPECT_EQ(drive.Read(kTarget), "A=1\r\nENDDAT\r\n");
}

}  // namespace
}  // namespace foldex
