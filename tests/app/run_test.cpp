// The start checks, the header and the ends of a batch run, in-process and
// as a process.

#include "app/run.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>

#include "platform/paths.h"
#include "support/test_env.h"

namespace fs = std::filesystem;

namespace {

using testenv::BatchRun;
using testenv::ReadLogLines;
using testenv::ScratchDrive;
using Lines = std::vector<std::string>;

const std::string kOld = "C:\\QVD_OLDINST\\QVD\\R1";
const std::string kNew = "C:\\QVD\\ROBOTER\\QVD\\R1";
const std::string kCommand = kOld + "|" + kNew;

std::string UsedLumoLine() {
  return ".Used LUMO.DLL: " + platform::ToBackslashes(testenv::BuiltProgramFolder());
}

class RunStart : public ::testing::Test {
 protected:
  void SetUp() override {
    testenv::MakeProgramFolder(drive, "C:\\PROG", true);
    drive.MakeFolder(kOld + "\\System");
    drive.MakeFolder(kOld + "\\Program");
    drive.MakeFolder(kNew + "\\System");
    drive.MakeFolder("C:\\QVD\\ROBOTER\\Template");
    drive.MakeFolder("C:\\QVD\\ROBOTER\\LOG");
  }
  Lines Log() const { return ReadLogLines(drive.Host("C:\\QVD\\ROBOTER\\LOG\\Vantrel.log")); }

  ScratchDrive drive;
  BatchRun run{"C:\\PROG"};
};

TEST_F(RunStart, MissingExchangeProgramAbortsBeforeTheHeader) {
  fs::remove(drive.Host("C:\\PROG\\Foldex.exe"));
  EXPECT_EQ(run.Run(kCommand), 1);
  EXPECT_EQ(Log(), (Lines{UsedLumoLine(), "# Foldex.exe not found in: C:\\PROG\\Foldex.exe",
                          "! End Vantrel.exe"}));
}

TEST_F(RunStart, MissingControlFolderAborts) {
  fs::remove_all(drive.Host("C:\\PROG\\Vantrel"));
  EXPECT_EQ(run.Run(kCommand), 1);
  EXPECT_EQ(Log(), (Lines{UsedLumoLine(), "# Can not find path: C:\\PROG\\Vantrel\\",
                          "! End Vantrel.exe"}));
}

TEST_F(RunStart, MissingIniFileAborts) {
  fs::remove(drive.Host("C:\\PROG\\vantrel.ini"));
  EXPECT_EQ(run.Run(kCommand), 1);
  EXPECT_EQ(Log(), (Lines{UsedLumoLine(), "# Can not find ini-File: C:\\PROG\\vantrel.ini",
                          "! End Vantrel.exe"}));
}

TEST_F(RunStart, AnAbortedRunLeavesTheSavedFolds) {
  drive.Write("C:\\PROG\\Vantrel\\x.add", "saved");
  fs::remove(drive.Host("C:\\PROG\\vantrel.ini"));
  EXPECT_EQ(run.Run(kCommand), 1);
  EXPECT_TRUE(drive.Exists("C:\\PROG\\Vantrel\\x.add"));
}

TEST_F(RunStart, HeaderThenPathsThenBlankCommandLineIsRefused) {
  EXPECT_EQ(run.Run("   "), 1);
  Lines log = Log();
  ASSERT_EQ(log.size(), 6u);
  EXPECT_EQ(log[0], UsedLumoLine());
  EXPECT_EQ(log[1].rfind(".Vantrel started at: ", 0), 0u) << log[1];
  EXPECT_NE(log[1].find(", "), std::string::npos);
  EXPECT_EQ(log[2], ".vantrel - Version: 1.0.0");
  EXPECT_EQ(log[3], ".Act Path: C:\\PROG\\Vantrel");
  EXPECT_EQ(log[4], "." + std::string(77, '-'));
  EXPECT_EQ(log[5], "# ERROR: command line not found");
}

TEST_F(RunStart, SameOrNestedTreesAreRefusedAfterThePaths) {
  for (const std::string& command :
       {kOld + "|" + kOld, kOld, kOld + "|" + kOld + "\\System", kOld + "\\System|" + kOld,
        kOld + "|c:\\qvd_oldinst\\qvd\\r1\\"}) {
    EXPECT_EQ(run.Run(command), 1) << command;
    Lines log = Log();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log.back(), "# ERROR: source path = destination path") << command;
    EXPECT_EQ(log[log.size() - 2].rfind(".Temp.-Path: ", 0), 0u) << command;
  }
}

TEST_F(RunStart, LogGoesToDriveRootWithoutTheLogFolderAndReadOnlyLogIsReplaced) {
  fs::remove_all(drive.Host("C:\\QVD\\ROBOTER\\LOG"));
  drive.Write("C:\\Vantrel.log", "old log");
  fs::permissions(drive.Host("C:\\Vantrel.log"), fs::perms::owner_read);
  fs::remove(drive.Host("C:\\PROG\\vantrel.ini"));
  EXPECT_EQ(run.Run(kCommand), 1);
  EXPECT_EQ(run.context.LogFilePath, "C:\\Vantrel.log");
  EXPECT_EQ(ReadLogLines(drive.Host("C:\\Vantrel.log")).at(1),
            "# Can not find ini-File: C:\\PROG\\vantrel.ini");
  EXPECT_EQ(drive.Read("C:\\Vantrel.log.bak"), "old log");
}

TEST_F(RunStart, LogThatCannotBeCreatedEndsTheRunWithoutWritingAnything) {
  fs::remove_all(drive.Host("C:\\QVD\\ROBOTER\\LOG"));
  drive.MakeFolder("C:\\Vantrel.log");
  EXPECT_EQ(run.Run(kCommand), 1);
  EXPECT_TRUE(fs::is_directory(drive.Host("C:\\Vantrel.log")));
}

TEST_F(RunStart, CompleteRunWalksTheStagesInOrder) {
  int code = run.Run(kCommand);
  Lines stages;
  for (const std::string& line : Log())
    if ((line.rfind(". - - - ", 0) == 0 && line.find(" CONVERT ") == std::string::npos) ||
        line == ".Transferring File/Folder Attributes")
      stages.push_back(line);
  EXPECT_EQ(stages, (Lines{". - - - START READING THE NEGATIVE LIST - - -",
                           ". - - - END READING THE NEGATIVE LIST - - -",
                           ". - - - START CONVERTING SYSTEMFILES - - -",
                           ". - - - END CONVERTING SYSTEMFILES - - -",
                           ". - - - START CONVERTING USER FILES - - -",
                           ". - - - END CONVERTING USER FILES - - -",
                           ". - - - START COPYING FILES - - -",
                           ". - - - END COPYING FILES - - -",
                           ".Transferring File/Folder Attributes"}));
  EXPECT_EQ(code, run.context.ErrorCount > 0 ? 1 : 0);
  EXPECT_EQ(run.context.StdForm.Caption, "Upgrade R1 files");
  EXPECT_EQ(run.context.StdForm.Max, 1005);
}

TEST_F(RunStart, CompleteRunWithErrorsDeletesTheSavedFoldsAndEndsWith1) {
  drive.Write("C:\\PROG\\Vantrel\\x.add", "saved");
  EXPECT_EQ(run.Run(kCommand), 1);  // no templates, no system files
  EXPECT_GT(run.context.ErrorCount, 0);
  EXPECT_FALSE(drive.Exists("C:\\PROG\\Vantrel\\x.add"));
}

TEST_F(RunStart, CompleteRunWithoutErrorsEndsWith0) {
  for (const char* name : {"$CONFIG.DAT", "SPS.SUB", "IR_STOPM.SRC"}) {
    drive.Write(kOld + "\\System\\" + name, "DEFDAT X\r\nENDDAT\r\n");
    drive.Write(kNew + "\\System\\" + name, "DEFDAT X\r\nENDDAT\r\n");
  }
  drive.Write(kOld + "\\Mada\\$machine.dat", "DEFDAT $MACHINE\r\nENDDAT\r\n");
  drive.Write("C:\\QVD\\ROBOTER\\Template\\Vorgabe.src", "");
  drive.Write("C:\\QVD\\ROBOTER\\Template\\Vorgabe.dat", "");
  drive.Write("C:\\PROG\\Vantrel\\x.add", "saved");
  EXPECT_EQ(run.Run(kCommand), 0);
  std::string errors;
  for (const std::string& line : Log())
    if (line[0] == '#') errors += line + "\n";
  EXPECT_EQ(errors, "");
  EXPECT_FALSE(drive.Exists("C:\\PROG\\Vantrel\\x.add"));
  EXPECT_FALSE(run.context.StdForm.Visible);
}

// The program as a process: usage, version, and the log path on stderr.
std::string RunProgram(const std::string& arguments, int& exitCode,
                       const std::string& program = testenv::BuiltProgramFolder() + "/vantrel") {
  std::string command = program + " " + arguments + " 2>&1";
  std::FILE* pipe = popen(command.c_str(), "r");
  std::string output;
  char buffer[512];
  while (std::size_t got = std::fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, got);
  int status = pclose(pipe);
  exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return output;
}

TEST(Program, EmptyCommandLineGivesUsageAndExitCode2) {
  int code = 0;
  std::string output = RunProgram("", code);
  EXPECT_EQ(code, 2);
  EXPECT_EQ(output.rfind("usage: vantrel", 0), 0u);
  EXPECT_EQ(RunProgram("--version", code), "Vantrel 1.0.0\n");
  EXPECT_EQ(code, 0);
}

TEST(Program, BatchRunPrintsTheLogPathAndSplitsArgumentsAlike) {
  ScratchDrive drive;
  drive.MakeFolder("C:\\QVD\\ROBOTER\\LOG");
  // A run locks its control folder: the program runs from a copy the
  // test's user can write.
  testenv::MakeProgramFolder(drive, "C:\\PROG", false);
  const std::string program = drive.Host("C:\\PROG\\vantrel");
  int code = 0;
  // One folder "A B": the blank-joined arguments reach the paths whole.
  std::string output = RunProgram("'C:/A B/R1|C:/A B/R1'", code, program);
  EXPECT_EQ(code, 1);
  EXPECT_EQ(output, "vantrel: log: " + drive.root() + "/QVD/ROBOTER/LOG/Vantrel.log\n");
  Lines log = ReadLogLines(drive.Host("C:\\QVD\\ROBOTER\\LOG\\Vantrel.log"));
  EXPECT_NE(std::find(log.begin(), log.end(), ".Source-Path: C:\\A B\\R1"), log.end());
  output = RunProgram("C:/A B/R1\\|C:/A B/R1", code, program);
  log = ReadLogLines(drive.Host("C:\\QVD\\ROBOTER\\LOG\\Vantrel.log"));
  EXPECT_NE(std::find(log.begin(), log.end(), ".Dest.-Path: C:\\A B\\R1"), log.end());
}

}  // namespace

namespace {

TEST(Program, LogThatCannotBeCreatedIsSaidOnStandardErrorWithExitCode1) {
  testenv::ScratchDrive drive;
  drive.MakeFolder("C:\\Vantrel.log");
  testenv::MakeProgramFolder(drive, "C:\\PROG", false);
  int code = 0;
  std::string output = RunProgram("'C:/A/R1|C:/B/R1'", code, drive.Host("C:\\PROG\\vantrel"));
  EXPECT_EQ(code, 1);
  EXPECT_EQ(output, "vantrel: The log file " + drive.root() +
                        "/Vantrel.log cannot be created; nothing was upgraded.\n");
}

}  // namespace

namespace {

TEST(Program, MissingLogLibraryIsSaidOnStandardErrorWithExitCode1) {
  testenv::ScratchDrive drive;
  drive.MakeFolder("C:\\P");
  fs::copy_file(testenv::BuiltProgramFolder() + "/vantrel", drive.Host("C:\\P\\vantrel"));
  int code = 0;
  std::string output = RunProgram("'C:/A/R1|C:/B/R1'", code, drive.Host("C:\\P\\vantrel"));
  EXPECT_EQ(code, 1);
  std::string expected = "vantrel: cannot load the log library " + drive.root() + "/P/liblumo.so: ";
  EXPECT_EQ(output.substr(0, expected.size()), expected);
  EXPECT_FALSE(drive.Exists("C:\\Vantrel.log"));
}

}  // namespace
