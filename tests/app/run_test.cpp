// The start checks, the header and the ends of a batch run, in-process and
// as a process.

#include "app/run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "platform/paths.h"
#include "platform/platform.h"
#include "support/test_env.h"
#include "support/tree_snapshot.h"

namespace fs = std::filesystem;

namespace {

using testenv::BatchRun;
using testenv::ReadLogLines;
using testenv::ScratchDrive;
using Lines = std::vector<std::string>;

const std::string kOld = testenv::kOldInstallation;
const std::string kNew = testenv::kNewInstallation;
const std::string kCommand = kOld + "|" + kNew;

std::string UsedLumoLine() {
  return ".Used LUMO.DLL: " + platform::ToBackslashes(testenv::BuiltProgramFolder());
}

class RunStart : public ::testing::Test {
 protected:
  void SetUp() override { testenv::LayEmptyInstallations(drive); }
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

TEST_F(RunStart, MissingInstallationFolderAbortsAfterThePathsAndLeavesTheSavedFolds) {
  drive.Write("C:\\PROG\\Vantrel\\x.add", "saved");
  fs::remove_all(drive.Host(kOld + "\\Program"));
  EXPECT_EQ(run.Run(kCommand), 1);
  Lines log = Log();
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log[log.size() - 2], ".Temp.-Path: C:\\QVD\\ROBOTER");
  EXPECT_EQ(log.back(), "# Can not find path: " + kOld + "\\Program");
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
  platform::SetAttributes("C:\\Vantrel.log", platform::kReadOnly);
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
  EXPECT_EQ(stages,
            (Lines{". - - - START READING THE NEGATIVE LIST - - -",
                   ". - - - END READING THE NEGATIVE LIST - - -",
                   ". - - - START CONVERTING SYSTEMFILES - - -",
                   ". - - - END CONVERTING SYSTEMFILES - - -",
                   ". - - - START CONVERTING USER FILES - - -",
                   ". - - - END CONVERTING USER FILES - - -", ". - - - START COPYING FILES - - -",
                   ". - - - END COPYING FILES - - -", ".Transferring File/Folder Attributes"}));
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
                       const std::string& program = testenv::BuiltProgramFolder() + "/" +
                                                    testenv::ProgramFileName()) {
  return testenv::RunCaptured(program, arguments, exitCode);
}

TEST(Program, EmptyCommandLineGivesUsageAndExitCode2) {
  int code = 0;
#ifdef _WIN32
  // Without a command line the program shows its settings dialog (tested
  // with the windows); a dry run without its pair is a mistake.
  std::string output = RunProgram("--dry-run", code);
  EXPECT_EQ(output,
            "vantrel: the installations must be given as SOURCE|DESTINATION, the two "
            "paths joined by |\n");
#else
  std::string output = RunProgram("", code);
  EXPECT_EQ(output.rfind("usage: vantrel", 0), 0u);
#endif
  EXPECT_EQ(code, 2);
  EXPECT_EQ(RunProgram("--version", code), "Vantrel 1.0.0\n");
  EXPECT_EQ(code, 0);
}

TEST(Program, BatchRunPrintsItsSummaryWithTheLogPath) {
  ScratchDrive drive;
  drive.MakeFolder("C:\\QVD\\ROBOTER\\LOG");
  // A run locks its control folder: the program runs from a copy the
  // test's user can write.
  testenv::MakeProgramFolder(drive, "C:\\PROG", false);
  const std::string program = drive.Host("C:\\PROG\\" + testenv::ProgramFileName());
  int code = 0;
  // One folder "A B": the blanks stay inside the paths.
  std::string output = RunProgram("C:\\A B\\R1|C:\\A B\\R1", code, program);
  EXPECT_EQ(code, 1);
  // The run aborts at its path checks: nothing done, one error.
  // On Windows too: a script that starts the program captures it.
  EXPECT_EQ(output,
            "vantrel: summary of the run\n"
            "  System files upgraded: 0\n"
            "  System files not upgraded: 0\n"
            "  Migration 5.x to 6.x: not run\n"
            "  User files upgraded: 0\n"
            "  User files copied unchanged because of fold faults: 0\n"
            "  Files copied: 0\n"
            "  Errors: 1, warnings: 0\n"
            "  First errors:\n"
            "    # ERROR: source path = destination path\n"
            "  Cause: the source and the destination are the same folder C:\\A B\\R1\n"
            "  Log: " +
                platform::HostPath("C:\\QVD\\ROBOTER\\LOG\\Vantrel.log") +
                "\n"
                "  Backup: none\n");
  Lines log = ReadLogLines(drive.Host("C:\\QVD\\ROBOTER\\LOG\\Vantrel.log"));
  EXPECT_NE(std::find(log.begin(), log.end(), ".Source-Path: C:\\A B\\R1"), log.end());
  EXPECT_NE(std::find(log.begin(), log.end(), ".Dest.-Path: C:\\A B\\R1"), log.end());
}

}  // namespace

namespace {

TEST(Program, DryRunPrintsThePlanAndWritesNoLog) {
  testenv::ScratchDrive drive;
  drive.MakeFolder("C:\\QVD\\ROBOTER\\LOG");
  int code = 0;
  std::string output = RunProgram("--dry-run --format=json C:\\A\\R1|C:\\B\\R1", code);
  EXPECT_EQ(code, 1);
  const std::string start =
      "{\n  \"schemaVersion\": 1,\n  \"kind\": \"plan\",\n  \"verdict\": \"not-started\",\n"
      "  \"checks\": \"failed: # Can not find path: C:\\\\A\\\\R1\\\\System\",\n";
  EXPECT_EQ(output.substr(0, start.size()), start) << output;
  EXPECT_FALSE(drive.Exists("C:\\QVD\\ROBOTER\\LOG\\Vantrel.log"));
  output = RunProgram("--dry-run C:\\A\\R1|C:\\B\\R1", code);
  EXPECT_EQ(output.rfind("Start and path checks: failed: # Can not find path: ", 0), 0u) << output;
}

TEST(Program, LogThatCannotBeCreatedIsSaidOnStandardErrorWithExitCode1) {
  testenv::ScratchDrive drive;
  drive.MakeFolder("C:\\Vantrel.log");
  testenv::MakeProgramFolder(drive, "C:\\PROG", false);
  int code = 0;
  std::string output = RunProgram("C:\\A\\R1|C:\\B\\R1", code,
                                  drive.Host("C:\\PROG\\" + testenv::ProgramFileName()));
  EXPECT_EQ(code, 1);
  EXPECT_EQ(output, "vantrel: The log file " + platform::HostPath("C:\\Vantrel.log") +
                        " cannot be written (something other than a file stands at its place);"
                        " nothing was upgraded.\n");
}

#ifndef _WIN32
// The lock file is there from an earlier run; the log cannot be made in
// the folder. Root writes any folder: there the in-process tests with a
// library that writes nothing stand for this one.
TEST(Program, ALogFolderThatTakesNoLogStopsTheRunBeforeItsFirstChange) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes into a read-only folder";
  ScratchDrive drive;
  testenv::LaySamples(drive, "C:\\PROG");
  const std::string log = "C:\\QVD\\ROBOTER\\LOG";
  drive.Write(log + "\\Vantrel.lock", "");
  const testenv::TreeSnapshot before = testenv::Snapshot(drive.Host("C:\\QVD"));
  fs::permissions(drive.Host(log), fs::perms::owner_read | fs::perms::owner_exec);
  int code = 0;
  std::string output =
      RunProgram(kCommand, code, drive.Host("C:\\PROG\\" + testenv::ProgramFileName()));
  fs::permissions(drive.Host(log), fs::perms::owner_all);
  EXPECT_EQ(code, 1);
  EXPECT_EQ(output, "vantrel: The log file " + platform::HostPath(log + "\\Vantrel.log") +
                        " cannot be written (the log library did not create it); nothing was"
                        " upgraded.\n");
  EXPECT_EQ(testenv::FirstDifference(before, testenv::Snapshot(drive.Host("C:\\QVD"))), "");
}
#endif

}  // namespace

namespace {

TEST(Program, MissingLogLibraryIsSaidOnStandardErrorWithExitCode1) {
  testenv::ScratchDrive drive;
  drive.MakeFolder("C:\\P");
  const std::string program = "C:\\P\\" + testenv::ProgramFileName();
  fs::copy_file(testenv::BuiltProgramFolder() + "/" + testenv::ProgramFileName(),
                drive.Host(program));
  int code = 0;
  std::string output = RunProgram("C:\\A\\R1|C:\\B\\R1", code, program);
  EXPECT_EQ(code, 1);
  std::string expected =
      "vantrel: cannot load the log library " +
      platform::HostPath(std::string("C:\\P\\") + platform::LogLibraryFileName()) + ": ";
  EXPECT_EQ(output.substr(0, expected.size()), expected);
  EXPECT_FALSE(drive.Exists("C:\\Vantrel.log"));
}

}  // namespace

namespace {

#ifndef _WIN32
// The log library gathers lines; the run has them written before each
// start of the exchange program, so a run killed while the program works
// has its log up to that step. The stand-in kills its parent: a script.
TEST(Program, ARunKilledDuringAnExchangeStepKeepsItsLogUpToThatStep) {
  testenv::ScratchDrive drive;
  testenv::LaySamples(drive, "C:\\PROG");
  const std::string foldex = drive.Host("C:\\PROG\\Foldex.exe");
  std::ofstream(foldex, std::ios::trunc) << "#!/bin/sh\nkill -9 $PPID\nexit 0\n";
  fs::permissions(foldex, fs::perms::owner_all);
  int code = 0;
  RunProgram("C:\\QVD_OLDINST\\QVD\\R1|C:\\QVD\\ROBOTER\\QVD\\R1", code,
             drive.Host("C:\\PROG\\vantrel"));
  // Killed: by signal, or as the shell between tells it.
  EXPECT_TRUE(code == -1 || code == 128 + 9) << code;
  Lines log = ReadLogLines(drive.Host("C:\\QVD\\ROBOTER\\LOG\\Vantrel.log"));
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back().rfind(". +++ Start: Save the UserFolds in Sourcefile: ", 0), 0u)
      << log.back();
  EXPECT_EQ(log.front().rfind(".Used LUMO.DLL: ", 0), 0u);
}
#endif

}  // namespace
