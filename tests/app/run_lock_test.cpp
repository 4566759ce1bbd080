#include "app/run_lock.h"

#include <gtest/gtest.h>

#include "support/test_env.h"

namespace {

using testenv::MemoryRun;
using testenv::ScratchDrive;

TEST(RunLock, AFreeLockIsTakenAtOnceWithoutAWord) {
  ScratchDrive drive;
  drive.MakeFolder("C:\\V");
  MemoryRun run;
  run.context.BatchMode = true;
  platform::FileLock lock;
  testing::internal::CaptureStderr();
  EXPECT_TRUE(AcquireRunLock(run.context, lock, "C:\\V\\Vantrel.lock"));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_TRUE(lock.held());
}

TEST(RunLock, AHeldLockIsWaitedForThenRefusedInADialog) {
  ScratchDrive drive;
  drive.MakeFolder("C:\\V");
  platform::FileLock other;
  bool acquired = false;
  ASSERT_TRUE(other.TryAcquire("C:\\V\\Vantrel.lock", acquired).ok && acquired);
  MemoryRun run;
  run.context.BatchMode = false;
  run.context.LockWaitSeconds = 0;
  std::string shown;
  run.context.ShowMessageBox = [&](const std::string& text, MessageIcon) { shown = text; };
  platform::FileLock lock;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(AcquireRunLock(run.context, lock, "C:\\V\\Vantrel.lock"));
  std::string host = drive.Host("C:\\V\\Vantrel.lock");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "vantrel: another run is using " + host + "; waiting up to 0 seconds\n");
  EXPECT_EQ(shown, "Another run is still using " + host + " after 0 seconds; nothing was upgraded.");
}

TEST(RunLock, ALockThatCannotBeMadeIsRefused) {
  ScratchDrive drive;
  MemoryRun run;
  run.context.BatchMode = true;
  platform::FileLock lock;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(AcquireRunLock(run.context, lock, "C:\\MISSING\\Vantrel.lock"));
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "vantrel: Cannot lock " + drive.Host("C:\\MISSING\\Vantrel.lock") +
                ": No such file or directory; nothing was upgraded.\n");
}

}  // namespace
