// Starting the exchange program and reporting how it ended.

#include "sysfiles/exchange.h"

#include <gtest/gtest.h>

#include <functional>

#include "platform/platform.h"
#include "support/test_env.h"

namespace {

using Lines = std::vector<std::string>;

class Exchange : public ::testing::Test {
 protected:
  void SetUp() override { testenv::MakeProgramFolder(drive, "C:\\PROG", true); }

  void SetFoldexBehaviour(const std::string& behaviour) {
    testenv::SetFoldexBehaviour(drive, "C:\\PROG", behaviour);
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

// Records, for each flush of the log, how many times the exchange program
// had started by then.
class FlushRecorder : public MemoryLog {
 public:
  std::function<void()> onFlush;
  void LogFlush() override { onFlush(); }
};

TEST_F(Exchange, TheLogIsFlushedBeforeEachStart) {
  FlushRecorder log;
  run.context.Lumo = &log;
  std::vector<std::size_t> startsAtFlush;
  log.onFlush = [&] {
    startsAtFlush.push_back(testenv::RecordedFoldexCalls(drive, "C:\\PROG").size());
  };
  RunAndWait(run.context, "a|b /TXT");
  RunAndWait(run.context, "c|d /TXT");
  EXPECT_EQ(startsAtFlush, (std::vector<std::size_t>{0, 1}));
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
  SetFoldexBehaviour("exit 3");
  EXPECT_EQ(RunExchange(run.context, {.file = "x", .control = "y", .fileBar = "|"}), 3);
  EXPECT_EQ(run.lines(),
            (Lines{"! Foldex.exe ended with exit code 3: C:\\PROG\\Foldex.exe x|y /TXT",
                   "# Foldex.exe failed on x: this step is not done"}));
  EXPECT_EQ(run.log.counter, 1);
}

// Only a step knows which file was not done.
TEST_F(Exchange, NonZeroExitCodeOfAnArgumentTextIsOnlyTheWarning) {
  SetFoldexBehaviour("exit 3");
  EXPECT_EQ(RunAndWait(run.context, "x|y /TXT"), 3);
  EXPECT_EQ(run.lines(),
            Lines{"! Foldex.exe ended with exit code 3: C:\\PROG\\Foldex.exe x|y /TXT"});
  EXPECT_EQ(run.log.counter, 0);
}

TEST_F(Exchange, AStepPassesItsCommandFormattedOnce) {
  const foldex::Command command{.form = foldex::Form::kTransfer,
                                .file = "C:\\NEW\\System\\$CONFIG.DAT",
                                .control = "C:\\PROG\\Vantrel\\Config_Cfile.upg",
                                .source = "C:\\OLD\\System\\$CONFIG.DAT",
                                .controlBar = " |",
                                .modeGap = ""};
  EXPECT_EQ(RunExchange(run.context, command), 0);
  EXPECT_EQ(testenv::RecordedFoldexCalls(drive, "C:\\PROG"),
            Lines{"C:\\NEW\\System\\$CONFIG.DAT | C:\\PROG\\Vantrel\\Config_Cfile.upg "
                  "|C:\\OLD\\System\\$CONFIG.DAT/DAT"});
  EXPECT_EQ(run.lines(), Lines{});
}

// A killed program may leave a finished temporary file beside its target
// and in the control folder; those of a writer still running stay.
TEST_F(Exchange, NonZeroExitCodeSweepsTheTemporaryFilesOfEndedWriters) {
  SetFoldexBehaviour("exit 137");
  const std::string dead = ".vantrel-tmp-4194303-a";
  const std::string own = ".vantrel-tmp-" + std::to_string(platform::CurrentProcessId()) + "-a";
  const Lines folders = {"C:\\NEW\\System\\", "C:\\PROG\\Vantrel\\"};
  for (const std::string& folder : folders) {
    drive.Write(folder + dead, "left");
    drive.Write(folder + own, "writing");
  }
  drive.Write("C:\\NEW\\System\\SPS.SUB", "new");
  const std::string arguments =
      "C:\\NEW\\System\\SPS.SUB | C:\\PROG\\Vantrel\\sps_sub_nf.upg /TXT";
  foldex::Command command;
  ASSERT_TRUE(foldex::ParseCommandLine(arguments, command));
  EXPECT_EQ(RunExchange(run.context, command), 137);
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
