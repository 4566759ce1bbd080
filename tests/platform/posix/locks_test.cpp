#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "platform/platform.h"
#include "support/test_env.h"

namespace {

using testenv::ScratchDrive;

TEST(PlatformLock, OneHolderAtATimeAndTheFileStays) {
  ScratchDrive drive;
  drive.MakeFolder("C:\\V");
  bool acquired = false;
  {
    platform::FileLock first;
    ASSERT_TRUE(first.TryAcquire("C:\\V\\run.lock", acquired).ok);
    EXPECT_TRUE(acquired);
    EXPECT_TRUE(first.held());
    platform::FileLock second;
    ASSERT_TRUE(second.TryAcquire("C:\\V\\run.lock", acquired).ok);
    EXPECT_FALSE(acquired);
    EXPECT_FALSE(second.held());
  }
  EXPECT_TRUE(drive.Exists("C:\\V\\run.lock"));
  platform::FileLock third;
  ASSERT_TRUE(third.TryAcquire("C:\\V\\run.lock", acquired).ok);
  EXPECT_TRUE(acquired);
}

TEST(PlatformLock, AProcessThatEndsGivesItsLockBack) {
  ScratchDrive drive;
  drive.MakeFolder("C:\\V");
  pid_t child = fork();
  if (child == 0) {
    platform::FileLock lock;
    bool acquired = false;
    lock.TryAcquire("C:\\V\\run.lock", acquired);
    _exit(acquired ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  platform::FileLock lock;
  bool acquired = false;
  ASSERT_TRUE(lock.TryAcquire("C:\\V\\run.lock", acquired).ok);
  EXPECT_TRUE(acquired);
}

TEST(PlatformLock, ALockFileBehindALinkIsRefused) {
  ScratchDrive drive;
  drive.MakeFolder("C:\\OUT");
  std::filesystem::create_directory_symlink(drive.Host("C:\\OUT"), drive.Host("C:\\V"));
  platform::FileLock lock;
  bool acquired = false;
  EXPECT_EQ(lock.TryAcquire("C:\\V\\run.lock", acquired).reason,
            "symbolic link on the path, left alone");
  EXPECT_FALSE(acquired);
}

// A root run's 0644 lock file; the later run is an ordinary user (as root
// the test drops to nobody in a child, where the permission bits count).
TEST(PlatformLock, ALockFileOthersMayOnlyReadStillLocks) {
  ScratchDrive drive;
  drive.Write("C:\\V\\run.lock", "");
  namespace fs = std::filesystem;
  fs::permissions(drive.Host("C:\\V\\run.lock"), fs::perms(0644));
  fs::permissions(drive.root(), fs::perms(0755));
  fs::permissions(drive.Host("C:\\V"), fs::perms(0755));
  const bool root = geteuid() == 0;
  if (!root)
    fs::permissions(drive.Host("C:\\V\\run.lock"), fs::perms(0444));
  pid_t child = fork();
  if (child == 0) {
    if (root && (setgid(65534) != 0 || setuid(65534) != 0))
      _exit(2);
    platform::FileLock lock;
    bool acquired = false;
    platform::Status status = lock.TryAcquire("C:\\V\\run.lock", acquired);
    _exit(status.ok && acquired ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(PlatformLock, AFifoIsNoLockFile) {
  ScratchDrive drive;
  drive.MakeFolder("C:\\V");
  ASSERT_EQ(mkfifo(drive.Host("C:\\V\\run.lock").c_str(), 0666), 0);
  platform::FileLock lock;
  bool acquired = false;
  EXPECT_EQ(lock.TryAcquire("C:\\V\\run.lock", acquired).reason,
            "not an ordinary file");
  EXPECT_FALSE(acquired);
  EXPECT_FALSE(lock.held());
}

}  // namespace
