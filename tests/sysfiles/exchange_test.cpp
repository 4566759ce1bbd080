// Starting the exchange program and reporting how it ended.

#include "sysfiles/exchange.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "support/test_env.h"

namespace fs = std::filesystem;

namespace {

using Lines = std::vector<std::string>;

class Exchange : public ::testing::Test {
 protected:
  void SetUp() override { testenv::MakeProgramFolder(drive, "C:\\PROG", true); }

  void ReplaceFoldex(const std::string& script) {
    std::string host = drive.Host("C:\\PROG\\Foldex.exe");
    std::ofstream(host, std::ios::trunc) << script;
    fs::permissions(host, fs::perms::owner_all);
  }

  testenv::ScratchDrive drive;
  testenv::MemoryRun run;
};

TEST_F(Exchange, PassesTheArgumentTextWholeAndLogsNothingOnSuccess) {
  const std::string arguments =
      "C:\\OLD\\System\\SPS.SUB| C:\\PROG\\Vantrel\\sps_sub_of.upg /TXT";
  EXPECT_EQ(RunAndWait(run.context, arguments), 0);
  EXPECT_EQ(testenv::RecordedFoldexCalls(drive, "C:\\PROG"), Lines{arguments});
  EXPECT_EQ(run.lines(), Lines{});
}

TEST_F(Exchange, FailedStartIsAnErrorWithTheCommandLine) {
  run.context.FoldexPath = "C:\\PROG\\Missing.exe";
  EXPECT_EQ(RunAndWait(run.context, "a | b /TXT"), -1);
  EXPECT_EQ(run.lines(),
            Lines{"# Can not start: C:\\PROG\\Missing.exe a | b /TXT (No such file or directory)"});
  EXPECT_EQ(run.log.counter, 1);
}

// The controller's warning stays; the error after it makes the run's exit
// code tell that a step was not done.
TEST_F(Exchange, NonZeroExitCodeIsAWarningAndAnError) {
  ReplaceFoldex("#!/bin/sh\nexit 3\n");
  EXPECT_EQ(RunAndWait(run.context, "x|y /TXT"), 3);
  EXPECT_EQ(run.lines(),
            (Lines{"! Foldex.exe ended with exit code 3: C:\\PROG\\Foldex.exe x|y /TXT",
                   "# Foldex.exe failed on x: this step is not done"}));
  EXPECT_EQ(run.log.counter, 1);
}

// A killed program may leave a finished temporary file beside its target
// and in the control folder; those of a writer still running stay.
TEST_F(Exchange, NonZeroExitCodeSweepsTheTemporaryFilesOfEndedWriters) {
  ReplaceFoldex("#!/bin/sh\nexit 137\n");
  const std::string dead = ".vantrel-tmp-4194303-a";
  const std::string own = ".vantrel-tmp-" + std::to_string(getpid()) + "-a";
  const Lines folders = {"C:\\NEW\\System\\", "C:\\PROG\\Vantrel\\"};
  for (const std::string& folder : folders) {
    drive.Write(folder + dead, "left");
    drive.Write(folder + own, "writing");
  }
  drive.Write("C:\\NEW\\System\\SPS.SUB", "new");
  const std::string arguments =
      "C:\\NEW\\System\\SPS.SUB | C:\\PROG\\Vantrel\\sps_sub_nf.upg /TXT";
  EXPECT_EQ(RunAndWait(run.context, arguments), 137);
  EXPECT_EQ(run.lines(),
            (Lines{"! Foldex.exe ended with exit code 137: C:\\PROG\\Foldex.exe " + arguments,
                   "# Foldex.exe failed on C:\\NEW\\System\\SPS.SUB: this step is not done"}));
  for (const std::string& folder : folders) {
    EXPECT_FALSE(drive.Exists(folder + dead)) << folder;
    EXPECT_TRUE(drive.Exists(folder + own)) << folder;
  }
  EXPECT_TRUE(drive.Exists("C:\\NEW\\System\\SPS.SUB"));
}

TEST_F(Exchange, ProgramFolderWithBlanksStartsTheExchangeProgramItself) {
  testenv::MakeProgramFolder(drive, "C:\\MY PROG", true);
  run.context.FoldexPath = "C:\\MY PROG\\Foldex.exe";
  EXPECT_EQ(RunAndWait(run.context, "a b"), 0);
  EXPECT_EQ(testenv::RecordedFoldexCalls(drive, "C:\\MY PROG"), Lines{"a b"});
  EXPECT_EQ(testenv::RecordedFoldexCalls(drive, "C:\\PROG"), Lines{});
  EXPECT_EQ(run.lines(), Lines{});
}

}  // namespace
