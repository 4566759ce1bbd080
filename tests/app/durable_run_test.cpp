// How often a whole run waits for the disk. With a backup its journal,
// on the disk before each change, lets the changes go to the disk in
// batches; without one each replaced file is on the disk before the next.
// Either way the run leaves the same tree.

#include <gtest/gtest.h>

#include <cstddef>

#include "platform/platform.h"
#include "support/test_env.h"
#include "support/whole_run.h"

namespace {

using namespace testenv::whole_run;

constexpr int kUserFiles = 200;

struct Waits {
  const char* name;
  bool keepBackup;
  double leastPerUserFile;
  double mostPerUserFile;
};

class DurableRun : public ::testing::TestWithParam<Waits> {};

TEST_P(DurableRun, WaitsForTheDiskAsOftenAsItsGuaranteeNeeds) {
  const Waits& waits = GetParam();
  TreeSnapshot left[2];
  for (int withBatch = 0; withBatch < 2; ++withBatch) {
    ScratchDrive drive;
    testenv::LayLargeInstallation(drive, kProgramFolder, 300, kUserFiles);
    BatchRun run(kProgramFolder);
    run.context.KeepBackup = withBatch ? waits.keepBackup : false;
    const std::size_t before = platform::SyncCount();
    ASSERT_EQ(run.Run(kRunCommand), 0)
        << testenv::LoggedFaults(drive.Host("C:\\QVD\\ROBOTER\\LOG\\Vantrel.log"));
    const double perFile = static_cast<double>(platform::SyncCount() - before) / kUserFiles;
    if (withBatch) {
      EXPECT_GE(perFile, waits.leastPerUserFile);
      EXPECT_LE(perFile, waits.mostPerUserFile);
    }
    left[withBatch] = testenv::SnapshotWithoutLog(drive.Host("C:\\QVD\\ROBOTER"));
  }
  EXPECT_EQ(testenv::FirstDifference(left[0], left[1]), "");
}

// Without a backup the copy of each user file waits for its bytes and its
// folder (on Windows, whose file system keeps the names itself, for its
// bytes); the exchange program waits for its own writes.
#ifdef _WIN32
constexpr double kEachCopy = 1.0;
#else
constexpr double kEachCopy = 2.0;
#endif
INSTANTIATE_TEST_SUITE_P(Runs, DurableRun,
                         ::testing::Values(Waits{"WithBackup", true, 1.0, 1.5},
                                           Waits{"WithoutBackup", false, kEachCopy, 3.0}),
                         [](const ::testing::TestParamInfo<Waits>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
