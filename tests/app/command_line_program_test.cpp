// The program as a process with a mistaken command line: one line on
// standard error, exit code 2, and the log of the last run left alone.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "support/test_env.h"

namespace {

using testenv::RunCaptured;

TEST(ProgramCommandLine, EveryMistakeIsOneLineExitCode2AndTheLogStays) {
  testenv::ScratchDrive drive;
  testenv::LayEmptyInstallations(drive);
  const std::string log = "C:\\QVD\\ROBOTER\\LOG\\Vantrel.log";
  drive.Write(log, "the log of the last real upgrade\r\n");
  const std::string program = drive.Host("C:\\PROG\\" + testenv::ProgramFileName());
  const std::string pair = testenv::kRunCommand;
  const std::vector<std::string> mistakes = {
      "-x " + pair,
      "--bogus " + pair,
      "--format=json " + pair,
      "--version " + pair,
      "-q --verbose " + pair,
      testenv::kOldInstallation,
      pair + "|C:\\X",
      "--rollback C:\\QVD\\ROBOTER\\LOG\\B --dry-run",
      "-n",
  };
  for (const std::string& arguments : mistakes) {
    int code = 0;
    const std::string output = RunCaptured(program, arguments, code);
    EXPECT_EQ(code, 2) << arguments;
    EXPECT_EQ(output.rfind("vantrel: ", 0), 0u) << arguments << ": " << output;
    EXPECT_EQ(output.find('\n'), output.size() - 1) << arguments << ": " << output;
    EXPECT_EQ(drive.Read(log), "the log of the last real upgrade\r\n") << arguments;
    EXPECT_FALSE(drive.Exists(log + ".bak")) << arguments;
  }
  EXPECT_TRUE(testenv::RecordedFoldexCalls(drive, "C:\\PROG").empty());
}

TEST(ProgramCommandLine, HelpAndVersionAnswerAndTouchNothing) {
  testenv::ScratchDrive drive;
  testenv::LayEmptyInstallations(drive);
  const std::string program = drive.Host("C:\\PROG\\" + testenv::ProgramFileName());
  for (const char* help : {"-h", "--help", "--help --version", "-h C:\\A|C:\\B"}) {
    int code = 1;
    const std::string output = RunCaptured(program, help, code);
    EXPECT_EQ(code, 0) << help;
    EXPECT_EQ(output.rfind("usage: vantrel", 0), 0u) << help;
    EXPECT_NE(output.find("  -v, --verbose "), std::string::npos) << help;
#ifdef _WIN32
    // cmd's quoting, not a shell's.
    EXPECT_NE(output.find("vantrel.exe C:\\QVD_OLDINST\\QVD\\R1^|C:\\QVD"), std::string::npos);
#else
    EXPECT_NE(output.find("vantrel 'C:\\QVD_OLDINST\\QVD\\R1|C:\\QVD"), std::string::npos);
#endif
  }
  EXPECT_FALSE(drive.Exists("C:\\QVD\\ROBOTER\\LOG\\Vantrel.log"));
}

// Quotation marks around the paths are removed and "/" is read as "\\",
// on every platform: the log names the paths as the controller has them.
TEST(ProgramCommandLine, QuotedPairsAndForwardSlashesReachTheRunAsPaths) {
  testenv::ScratchDrive drive;
  testenv::LayEmptyInstallations(drive);
  const std::string program = drive.Host("C:\\PROG\\" + testenv::ProgramFileName());
  for (const char* arguments :
       {"\"C:\\A B\\R1|C:\\N\\R1\"", "\"C:\\A B\\R1\"|\"C:\\N\\R1\"", "-q C:/A B/R1|C:/N/R1"}) {
    int code = 0;
    RunCaptured(program, arguments, code);
    EXPECT_EQ(code, 1) << arguments;
    const std::vector<std::string> log =
        testenv::ReadLogLines(drive.Host("C:\\QVD\\ROBOTER\\LOG\\Vantrel.log"));
    EXPECT_NE(std::find(log.begin(), log.end(), ".Source-Path: C:\\A B\\R1"), log.end())
        << arguments;
    EXPECT_NE(std::find(log.begin(), log.end(), ".Dest.-Path: C:\\N\\R1"), log.end()) << arguments;
  }
}

// --verbose shows every line of the log as it is written, also those the
// paths and the log library write; --quiet shows nothing at all.
TEST(ProgramCommandLine, VerboseShowsTheLogsLinesAndQuietNothing) {
  testenv::ScratchDrive drive;
  testenv::LayEmptyInstallations(drive);
  const std::string program = drive.Host("C:\\PROG\\" + testenv::ProgramFileName());
  int code = 0;
  std::string output = RunCaptured(program, "--verbose C:\\A\\R1|C:\\B\\R1", code);
  EXPECT_EQ(code, 1);
  const std::vector<std::string> log =
      testenv::ReadLogLines(drive.Host("C:\\QVD\\ROBOTER\\LOG\\Vantrel.log"));
  std::string lines;
  for (const std::string& line : log) lines += line + "\n";
  EXPECT_EQ(output.rfind(lines + "vantrel: summary of the run\n", 0), 0u) << output;
  EXPECT_NE(lines.find(".Source-Path: C:\\A\\R1\n"), std::string::npos) << lines;
  output = RunCaptured(program, "--quiet C:\\A\\R1|C:\\B\\R1", code);
  EXPECT_EQ(code, 1);
  EXPECT_EQ(output, "");
}

}  // namespace
