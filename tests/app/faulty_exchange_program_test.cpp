// Whole runs over the samples with an exchange program that misbehaves in
// ways a run cannot prevent: it hangs, or it writes bytes that are no text
// to its standard streams. The run waits for it without a time limit and
// does not read what it writes.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <future>
#include <thread>

#include "support/test_env.h"
#include "support/whole_run.h"
#include "support/tree_snapshot.h"

namespace fs = std::filesystem;

namespace {

using namespace testenv::whole_run;

const std::string kLog = "C:\\QVD\\ROBOTER\\LOG\\Vantrel.log";

// The samples without their two programs whose folds do not pair up, so
// that a run without faults ends with exit code 0; the stand-in exchange
// program does the real program's work besides what a test tells it.
class FaultyExchangeProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    testenv::LaySamples(drive, kProgramFolder);
    fs::remove(drive.Host(kOldInstallation + "\\Program\\Broken_Open.src"));
    fs::remove(drive.Host(kOldInstallation + "\\Program\\Broken_Close.src"));
    sourceBefore = testenv::Snapshot(drive.Host("C:\\QVD_OLDINST"));
  }

  // What a run with a well-behaved exchange program leaves: its log
  // (masked) and the destination tree.
  void RunWellBehavedTwin() {
    ScratchDrive twin;
    testenv::LaySamples(twin, kProgramFolder);
    fs::remove(twin.Host(kOldInstallation + "\\Program\\Broken_Open.src"));
    fs::remove(twin.Host(kOldInstallation + "\\Program\\Broken_Close.src"));
    testenv::InstallFakeFoldex(twin, kProgramFolder);
    testenv::SetFoldexBehaviour(twin, kProgramFolder, "exchange\n");
    BatchRun run(kProgramFolder);
    ASSERT_EQ(run.Run(kRunCommand), 0);
    expectedLog = Masked(twin);
    expectedDestination = Destination(twin);
  }

  static Lines Masked(const ScratchDrive& on) {
    return testenv::MaskedLog(testenv::ReadLogLines(on.Host(kLog)), kProgramFolder);
  }
  static TreeSnapshot Destination(const ScratchDrive& on) {
    return testenv::SnapshotWithoutLog(on.Host("C:\\QVD\\ROBOTER"));
  }
  std::size_t Calls() const { return testenv::RecordedFoldexCalls(drive, kProgramFolder).size(); }
  void ExpectSourceUnchanged() const {
    EXPECT_EQ(testenv::FirstDifference(sourceBefore, testenv::Snapshot(drive.Host("C:\\QVD_OLDINST"))),
              "");
  }

  ScratchDrive drive;
  TreeSnapshot sourceBefore;
  Lines expectedLog;
  TreeSnapshot expectedDestination;
};

// The first start hangs until the test releases it. Meanwhile the run has
// started nothing else and has not ended; released, it finishes as if the
// program had never hung.
TEST_F(FaultyExchangeProgram, HangingProgramIsWaitedForWithoutTimeLimit) {
  RunWellBehavedTwin();
  testenv::InstallFakeFoldex(drive, kProgramFolder);
  testenv::SetFoldexBehaviour(drive, kProgramFolder, "wait-for released\nexchange\n");

  BatchRun run(kProgramFolder);
  std::future<int> code = std::async(std::launch::async, [&] { return run.Run(kRunCommand); });
  while (Calls() == 0 && code.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready) {
  }
  ASSERT_EQ(Calls(), 1u);
  EXPECT_EQ(code.wait_for(std::chrono::seconds(2)), std::future_status::timeout);
  EXPECT_EQ(Calls(), 1u);
  // The log was flushed before the start: its last line announces the step
  // the program hangs in.
  Lines waiting = Masked(drive);
  ASSERT_FALSE(waiting.empty());
  EXPECT_EQ(waiting.back(), ". +++ Start: Save the UserFolds in Sourcefile: " + kOldInstallation +
                                "\\System\\$CONFIG.DAT (Controlfile: Config_of.upg)");

  drive.Write(kProgramFolder + "\\released", "");
  EXPECT_EQ(code.get(), 0);
  EXPECT_EQ(Masked(drive), expectedLog);
  EXPECT_EQ(testenv::FirstDifference(expectedDestination, Destination(drive)), "");
  ExpectSourceUnchanged();
}

// Every start writes bytes that are no text to standard output and
// standard error; the run's log, result and exit code are those of a run
// whose exchange program writes nothing.
TEST_F(FaultyExchangeProgram, GarbageOnTheStandardStreamsChangesNothing) {
  RunWellBehavedTwin();
  testenv::InstallFakeFoldex(drive, kProgramFolder);
  testenv::SetFoldexBehaviour(drive, kProgramFolder, "garbage\nexchange\n");

  BatchRun run(kProgramFolder);
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  int code = run.Run(kRunCommand);
  std::string output = testing::internal::GetCapturedStdout();
  std::string errors = testing::internal::GetCapturedStderr();

  EXPECT_EQ(code, 0);
#ifndef _WIN32
  // The garbage really went out. On Windows the capture takes over only
  // this process's C runtime streams, not the handles a child inherits.
  EXPECT_NE(output.find("# not a log line"), std::string::npos);
  EXPECT_NE(errors.find("# not a log line"), std::string::npos);
#else
  (void)output;
  (void)errors;
#endif
  EXPECT_EQ(Masked(drive), expectedLog);
  EXPECT_EQ(testenv::FirstDifference(expectedDestination, Destination(drive)), "");
  ExpectSourceUnchanged();
}

// Garbage and a failing exit code together: the run goes on through every
// step, each start giving the controller's warning and our error line.
TEST_F(FaultyExchangeProgram, GarbageAndAnErrorCodeGoOnWithEveryStep) {
  RunWellBehavedTwin();
  testenv::InstallFakeFoldex(drive, kProgramFolder);
  testenv::SetFoldexBehaviour(drive, kProgramFolder, "garbage\nexit 5\n");

  BatchRun run(kProgramFolder);
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  int code = run.Run(kRunCommand);
  testing::internal::GetCapturedStdout();
  testing::internal::GetCapturedStderr();

  EXPECT_EQ(code, 1);
  Lines calls = testenv::RecordedFoldexCalls(drive, kProgramFolder);
  Lines log = Masked(drive);
  std::size_t warnings = 0;
  std::size_t errors = 0;
  for (const std::string& line : log) {
    if (line.rfind("! Foldex.exe ended with exit code 5: ", 0) == 0) ++warnings;
    if (line.rfind("# Foldex.exe failed on ", 0) == 0) ++errors;
  }
  EXPECT_FALSE(calls.empty());
  EXPECT_EQ(warnings, calls.size());
  EXPECT_EQ(errors, calls.size());
  // The stages after the system files ran to their ends.
  EXPECT_NE(std::find(log.begin(), log.end(), ". - - - END CONVERTING USER FILES - - -"), log.end());
  ExpectSourceUnchanged();
}

// Every step failing, nothing counts as upgraded: the summary must not
// claim system or user files the exchange program did not finish.
TEST_F(FaultyExchangeProgram, FailedStepsUpgradeNothingInTheCounts) {
  testenv::InstallFakeFoldex(drive, kProgramFolder);
  testenv::SetFoldexBehaviour(drive, kProgramFolder, "exit 3\n");

  BatchRun run(kProgramFolder);
  EXPECT_EQ(run.Run(kRunCommand), 1);

  const RunRecord &record = run.context.Record;
  ASSERT_FALSE(record.systemFiles.empty());
  for (const RunRecord::Verdict &verdict : record.systemFiles) {
    EXPECT_FALSE(verdict.done) << verdict.name;
    EXPECT_EQ(verdict.why, "a step of the exchange program failed")
        << verdict.name;
  }
  // Only SUB files, which take no exchange step, are upgraded by their copy.
  for (const std::string &file : record.userFilesUpgraded)
    EXPECT_EQ(file.substr(file.size() - 4), ".sub") << file;
  EXPECT_GT(record.failedSteps, 0);
}

}  // namespace

namespace {

// An exchange program that ends with 0 but has written over the file its
// save step should only read: each such file is one error, and the system
// files it was saved from count as not upgraded.
TEST_F(FaultyExchangeProgram, ASourceFileChangedByASaveStepIsAnError) {
  testenv::InstallFakeFoldex(drive, kProgramFolder);
  testenv::SetFoldexBehaviour(drive, kProgramFolder, "scribble\n");

  BatchRun run(kProgramFolder);
  EXPECT_EQ(run.Run(kRunCommand), 1);

  Lines log = Masked(drive);
  Lines changed;
  for (const std::string& line : log)
    if (line.rfind("# Foldex.exe changed ", 0) == 0) changed.push_back(line);
  const std::string system = kOldInstallation + "\\System\\";
  const std::string vorgabe = "# Foldex.exe changed C:\\QVD\\ROBOTER\\Template\\Vorgabe.";
  ASSERT_GE(changed.size(), 3u);
  EXPECT_EQ(Lines(changed.begin(), changed.begin() + 3),
            (Lines{"# Foldex.exe changed " + system + "$CONFIG.DAT, which it only reads",
                   "# Foldex.exe changed " + system + "SPS.SUB, which it only reads",
                   "# Foldex.exe changed " + system + "IR_STOPM.SRC, which it only reads"}));
  // Every save of a template writes over it again.
  for (std::size_t i = 3; i < changed.size(); ++i)
    EXPECT_EQ(changed[i].rfind(vorgabe, 0), 0u) << changed[i];
  // The scribbled $CONFIG.DAT files may bring errors of their own.
  EXPECT_GE(run.context.ErrorCount, static_cast<int32_t>(changed.size()));
  for (const RunRecord::Verdict& verdict : run.context.Record.systemFiles)
    EXPECT_FALSE(verdict.done) << verdict.name;
}

}  // namespace
