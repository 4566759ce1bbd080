// Starting the exchange program and reporting how it ended.

#include "sysfiles/exchange.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

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

TEST_F(Exchange, NonZeroExitCodeIsOnlyAWarning) {
  ReplaceFoldex("#!/bin/sh\nexit 3\n");
  EXPECT_EQ(RunAndWait(run.context, "x|y /TXT"), 3);
  EXPECT_EQ(run.lines(),
            Lines{"! Foldex.exe ended with exit code 3: C:\\PROG\\Foldex.exe x|y /TXT"});
  EXPECT_EQ(run.log.counter, 0);
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
