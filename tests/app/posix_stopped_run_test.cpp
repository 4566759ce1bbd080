// A whole run stopped by Ctrl-C while the exchange program works: the
// program gets SIGINT too and dies of it. The run waits for it, counts its
// step as failed, starts nothing more, says in its log that it was stopped,
// writes its manifest, lets its locks go and ends with exit code 1.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "platform/platform.h"
#include "support/test_env.h"
#include "support/whole_run.h"
#include "support/tree_snapshot.h"

namespace fs = std::filesystem;

namespace {

using namespace testenv::whole_run;

const std::string kLogFolder = "C:\\QVD\\ROBOTER\\LOG";
constexpr int kInterruptedCall = 2;

class StoppedRun : public ::testing::Test {
protected:
  void SetUp() override {
    testenv::LaySamples(drive, kProgramFolder);
    testenv::InstallFakeFoldex(drive, kProgramFolder);
    testenv::SetFoldexBehaviour(drive, kProgramFolder,
                                "exchange\ninterrupt-at-call " +
                                    std::to_string(kInterruptedCall));
    sourceBefore = testenv::Snapshot(drive.Host("C:\\QVD_OLDINST"));
    platform::ClearStopRequest();
    platform::CatchStopRequests();
  }
  void TearDown() override {
    platform::ReleaseStopRequests();
    platform::ClearStopRequest();
  }

  Lines Log() const {
    return testenv::ReadLogLines(drive.Host(kLogFolder + "\\Vantrel.log"));
  }
  std::string BackupFolder() const {
    for (const auto &entry : fs::directory_iterator(drive.Host(kLogFolder)))
      if (entry.path().filename().string().rfind("Vantrel-backup", 0) == 0)
        return entry.path().string();
    return {};
  }

  ScratchDrive drive;
  testenv::TreeSnapshot sourceBefore;
};

TEST_F(StoppedRun, EndsAfterTheInterruptedStepWithItsBackupWhole) {
  BatchRun run(kProgramFolder);
  EXPECT_EQ(run.Run(kRunCommand), 1);

  EXPECT_EQ(testenv::RecordedFoldexCalls(drive, kProgramFolder).size(),
            static_cast<std::size_t>(kInterruptedCall));
  const Lines log = Log();
  auto stopped = std::find(
      log.begin(), log.end(),
      "# The run was stopped (SIGINT); what was done until now can be "
      "rolled back");
  ASSERT_NE(stopped, log.end());
  const auto failed =
      std::find_if(log.begin(), stopped, [](const std::string &line) {
        return line.rfind("# Foldex.exe failed on ", 0) == 0;
      });
  EXPECT_NE(failed, stopped) << "the interrupted step counts as failed";
  ASSERT_NE(stopped + 1, log.end());
  EXPECT_EQ((stopped + 1)->rfind(".To roll it back: vantrel --rollback ", 0),
            0u);
  EXPECT_EQ(run.context.Record.stoppedBy, "SIGINT");

  const std::string backup = BackupFolder();
  ASSERT_FALSE(backup.empty());
  EXPECT_TRUE(fs::exists(fs::path(backup) / "manifest.txt"));
  for (const char *folder : {"C:\\PROG\\Vantrel", "C:\\QVD\\ROBOTER\\LOG"}) {
    platform::FileLock lock;
    bool acquired = false;
    ASSERT_TRUE(
        lock.TryAcquire(std::string(folder) + "\\Vantrel.lock", acquired).ok);
    EXPECT_TRUE(acquired) << folder;
  }
  EXPECT_EQ(testenv::FirstDifference(
                sourceBefore, testenv::Snapshot(drive.Host("C:\\QVD_OLDINST"))),
            "");
}

TEST_F(StoppedRun, AStopBeforeTheRunStartsChangesNothing) {
  const testenv::TreeSnapshot destinationBefore =
      testenv::Snapshot(drive.Host("C:\\QVD\\ROBOTER\\QVD"));
  platform::RequestStop(platform::StopCause::kTerminate);
  BatchRun run(kProgramFolder);
  EXPECT_EQ(run.Run(kRunCommand), 1);
  EXPECT_TRUE(testenv::RecordedFoldexCalls(drive, kProgramFolder).empty());
  EXPECT_EQ(testenv::FirstDifference(
                destinationBefore,
                testenv::Snapshot(drive.Host("C:\\QVD\\ROBOTER\\QVD"))),
            "");
  const Lines log = Log();
  EXPECT_NE(std::find(log.begin(), log.end(),
                      "# The run was stopped (SIGTERM); what was done until "
                      "now can be rolled "
                      "back"),
            log.end());
}

} // namespace
