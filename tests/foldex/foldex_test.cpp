#include "foldex.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/platform.h"
#include "support/test_env.h"

namespace foldex {
namespace {

namespace fs = std::filesystem;

// The shipped control folder, copied to a folder whose name holds a blank
// and is written in another case than the command lines use.
class FoldexRun : public ::testing::Test {
 protected:
  testenv::ScratchDrive drive;
  std::string upg;  // the control folder as the command lines name it
  void SetUp() override {
    drive.MakeFolder("C:\\Program Files");
    fs::copy(fs::path(testenv::BuiltProgramFolder()) / "Vantrel",
             drive.Host("C:\\Program Files\\Vantrel"), fs::copy_options::recursive);
    upg = drive.root() + "/program files/VANTREL/";
  }
  Problems problems;
  int Call(const std::string& argument) { return foldex::Run(argument, problems); }
};

TEST_F(FoldexRun, SystemFileUserFoldsTravelFromOldToNew) {
  drive.Write("C:\\OLD\\R1\\System\\SPS.SUB",
              "DEF SPS()\r\n;FOLD USER INIT\r\n my init\r\n;ENDFOLD\r\n;FOLD SPS CYCLE\r\n"
              ";FOLD USER PLC\r\n my plc\r\n;ENDFOLD\r\n;ENDFOLD\r\nEND\r\n");
  drive.Write("C:\\NEW\\R1\\System\\SPS.SUB",
              "DEF SPS()\r\n;FOLD INI\r\n v2\r\n;ENDFOLD\r\n;FOLD USER INIT\r\n;ENDFOLD\r\n"
              ";FOLD USER PLC\r\n;ENDFOLD\r\nEND\r\n");
  EXPECT_EQ(Call("C:\\OLD\\R1\\System\\SPS.SUB| " + upg + "sps_sub_of.upg /TXT"), kDone);
  EXPECT_EQ(Call("C:\\NEW\\R1\\System\\SPS.SUB | " + upg + "sps_sub_nf.upg /TXT"), kDone);
  EXPECT_TRUE(problems.empty());
  EXPECT_EQ(drive.Read("C:\\NEW\\R1\\System\\SPS.SUB"),
            "DEF SPS()\r\n;FOLD INI\r\n v2\r\n;ENDFOLD\r\n;FOLD USER INIT\r\n my init\r\n"
            ";ENDFOLD\r\n;FOLD USER PLC\r\n my plc\r\n;ENDFOLD\r\nEND\r\n");
}

TEST_F(FoldexRun, ConfigStepsSaveTransferAndExchange) {
  drive.Write("C:\\OLD\\R1\\System\\$CONFIG.DAT",
              "DEFDAT $CONFIG\r\n;FOLD USER GLOBALS\r\nINT MY_COUNT=3\r\n;ENDFOLD\r\n"
              "TOOL_DATA[2]={X 100.0}\r\nTOOL_NAME[2,]=\"GRIPPER\"\r\nENDDAT\r\n");
  drive.Write("C:\\NEW\\R1\\System\\$CONFIG.DAT",
              "DEFDAT $CONFIG\r\nTOOL_DATA[2]={X 0.0}\r\nTOOL_NAME[2,]=\" \"\r\n"
              ";FOLD USER GLOBALS\r\n;ENDFOLD\r\nENDDAT\r\n");
  EXPECT_EQ(Call("C:\\OLD\\R1\\System\\$CONFIG.DAT|" + upg + "Config_of.upg /TXT"), kDone);
  EXPECT_EQ(Call("C:\\NEW\\R1\\System\\$CONFIG.DAT | " + upg +
                 "Config_Cfile.upg |C:\\OLD\\R1\\System\\$CONFIG.DAT/DAT"),
            kDone);
  EXPECT_EQ(Call("C:\\NEW\\R1\\System\\$CONFIG.DAT | " + upg + "config_nf.upg /TXT"), kDone);
  EXPECT_TRUE(problems.empty());
  EXPECT_EQ(drive.Read("C:\\NEW\\R1\\System\\$CONFIG.DAT"),
            "DEFDAT $CONFIG\r\nTOOL_DATA[2]={X 100.0}\r\nTOOL_NAME[2,]=\"GRIPPER\"\r\n"
            ";FOLD USER GLOBALS\r\nINT MY_COUNT=3\r\n;ENDFOLD\r\nENDDAT\r\n");
}

TEST_F(FoldexRun, TemplateFoldsReplaceTheUserFilesOwnButNotItsUserFolds) {
  drive.Write("C:\\QVD\\Template\\Vorgabe.src",
              "DEF Vorgabe()\r\n;FOLD INI\r\n;FOLD BASISTECH INI\r\n new tech\r\n;ENDFOLD\r\n"
              ";FOLD USER INI\r\n template user\r\n;ENDFOLD\r\n;ENDFOLD\r\nEND\r\n");
  const std::string user =
      "DEF A()\r\n;FOLD INI\r\n;FOLD BASISTECH INI\r\n old tech\r\n;ENDFOLD\r\n"
      ";FOLD USER INI\r\n mine\r\n;ENDFOLD\r\n;ENDFOLD\r\nEND\r\n";
  drive.Write("C:\\NEW\\R1\\Program\\A.SRC", user);
  EXPECT_EQ(Call("C:\\QVD\\Template\\Vorgabe.src| " + upg + "Vorgabe_Src_of.upg /TXT"), kDone);
  EXPECT_EQ(Call("C:\\NEW\\R1\\Program\\A.SRC | " + upg + "Vorgabe_Src_nf.upg /TXT"), kDone);
  EXPECT_EQ(drive.Read("C:\\NEW\\R1\\Program\\A.SRC"),
            "DEF A()\r\n;FOLD INI\r\n;FOLD BASISTECH INI\r\n new tech\r\n;ENDFOLD\r\n"
            ";FOLD USER INI\r\n mine\r\n;ENDFOLD\r\n;ENDFOLD\r\nEND\r\n");
}

TEST_F(FoldexRun, GeneratedDeclarationsGoIntoTheNewConfiguration) {
  drive.Write("C:\\Program Files\\Vantrel\\Config_5x-6x.upg",
              ";automaticaly created file: Vantrel, V1.0.0,    Date: 01.02.2024, Time: 10:11:12\r\n"
              "\r\nINT MAX_BASE=32\r\nBASE_NAME[17,]=\"AXIS1\"\r\n");
  drive.Write("C:\\NEW\\$CONFIG.DAT", "DEFDAT $CONFIG\r\nDECL INT MAX_BASE=16\r\nENDDAT\r\n");
  EXPECT_EQ(Call("C:\\NEW\\$CONFIG.DAT | " + upg + "Config_5x-6x.upg/DAT"), kDone);
  EXPECT_EQ(drive.Read("C:\\NEW\\$CONFIG.DAT"),
            "DEFDAT $CONFIG\r\nDECL INT MAX_BASE=32\r\nBASE_NAME[17,]=\"AXIS1\"\r\nENDDAT\r\n");
}

TEST_F(FoldexRun, BadCommandLineAndMissingControlFile) {
  EXPECT_EQ(Call("C:\\A.SRC " + upg + "sps_sub_of.upg /TXT"), kBadCommandLine);
  EXPECT_EQ(Call("C:\\A.SRC | C:\\nowhere\\x.upg /TXT"), kFailed);
  ASSERT_EQ(problems.size(), 2u);
  EXPECT_EQ(problems[1].rfind("C:\\nowhere\\x.upg: cannot read the control file: ", 0), 0u);
}

// The built program as a separate process, what it writes gathered.
struct ProgramResult {
  int exitCode = -1;
  std::string errors;
};

ProgramResult RunProgram(const std::string& argument) {
  ProgramResult result;
  result.errors =
      testenv::RunCaptured(std::string(VANTREL_BIN_DIR) + "/Foldex.exe", argument, result.exitCode);
  return result;
}

TEST_F(FoldexRun, TheProgramTakesItsOneArgumentWithBlanksAndBothBars) {
  drive.Write("C:\\Old Inst\\SPS.SUB", ";FOLD USER A\r\n a\r\n;ENDFOLD\r\n");
  drive.Write("C:\\New Inst\\SPS.SUB", "x\r\n;FOLD USER A\r\n;ENDFOLD\r\n");
  ProgramResult save = RunProgram(
      "C:\\Old Inst\\SPS.SUB| C:\\PROGRAM FILES\\vantrel\\"
      "sps_sub_of.upg /TXT");
  EXPECT_EQ(save.exitCode, 0);
  EXPECT_EQ(save.errors, "");
  ProgramResult exchange = RunProgram(
      "C:\\New Inst\\SPS.SUB|C:\\Program Files\\Vantrel\\"
      "sps_sub_nf.upg /TXT");
  EXPECT_EQ(exchange.exitCode, 0);
  EXPECT_EQ(drive.Read("C:\\New Inst\\SPS.SUB"), "x\r\n;FOLD USER A\r\n a\r\n;ENDFOLD\r\n");
}

TEST_F(FoldexRun, TheProgramReportsOneLinePerProblemAndLeavesTheTargetIntact) {
  const std::string target = "x\r\n;FOLD USER A\r\n;ENDFOLD\r\n";
  drive.Write("C:\\New Inst\\SPS.SUB", target);
  ProgramResult result =
      RunProgram("C:\\New Inst\\SPS.SUB | C:\\Program Files\\Vantrel\\sps_sub_nf.upg /TXT");
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(
      result.errors.rfind("Foldex: C:\\Program Files\\Vantrel\\sps_sub.add: no saved folds (", 0),
      0u)
      << result.errors;
  EXPECT_EQ(std::count(result.errors.begin(), result.errors.end(), '\n'), 1);
  EXPECT_EQ(drive.Read("C:\\New Inst\\SPS.SUB"), target);
  EXPECT_EQ(
      std::distance(fs::directory_iterator(drive.Host("C:\\New Inst")), fs::directory_iterator()),
      1);
  ProgramResult bad = RunProgram("no bars here");
  EXPECT_EQ(bad.exitCode, 2);
  EXPECT_EQ(bad.errors,
            "Foldex: bad command line: no bars here (expected file | control /TXT, "
            "target | control/DAT or target | control | source/DAT)\n");
}

}  // namespace
}  // namespace foldex
