// The power-cut file system itself, driven through ordinary POSIX calls:
// what a reboot keeps of writes, names, renames, links and attributes
// after each kind of sync, where a cut falls, and that open files, locks
// and listings work as on a disk.

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/paths.h"
#include "platform/platform.h"
#include "support/posix/power_cut_fs.h"
#include "support/test_env.h"

namespace {

using testenv::PowerCutFs;
using testenv::ScratchDrive;

// The seed: a/f.txt ("seed\n"), an empty folder b.
class PowerCutFsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    seed_ = new ScratchDrive;
    seed_->Write("C:\\a\\f.txt", "seed\n");
    seed_->MakeFolder("C:\\b");
    mount_ = new ScratchDrive;
    fs_ = new PowerCutFs(seed_->root(), mount_->root());
  }
  static void TearDownTestSuite() {
    delete fs_;
    delete mount_;
    delete seed_;
  }

  void SetUp() override {
    if (!fs_->mounted()) GTEST_SKIP() << fs_->whyNot();
    fs_->Reset();
  }

  static std::string At(const std::string& relative) { return mount_->root() + "/" + relative; }

  static PowerCutFs* fs_;
  static ScratchDrive* seed_;
  static ScratchDrive* mount_;
};

PowerCutFs* PowerCutFsTest::fs_ = nullptr;
ScratchDrive* PowerCutFsTest::seed_ = nullptr;
ScratchDrive* PowerCutFsTest::mount_ = nullptr;

// The bytes of a file, or nothing where it is not there.
std::optional<std::string> Content(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY);
  if (fd < 0) return std::nullopt;
  std::string text;
  char buffer[4096];
  for (ssize_t got; (got = read(fd, buffer, sizeof buffer)) > 0;)
    text.append(buffer, static_cast<std::size_t>(got));
  close(fd);
  return text;
}

void WriteNew(const std::string& path, const std::string& bytes, bool sync) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
  ASSERT_GE(fd, 0) << path;
  ASSERT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  if (sync) {
    ASSERT_EQ(fsync(fd), 0);
  }
  close(fd);
}

void Overwrite(const std::string& path, const std::string& bytes) {
  const int fd = open(path.c_str(), O_WRONLY | O_TRUNC);
  ASSERT_GE(fd, 0) << path;
  ASSERT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  close(fd);
}

void SyncFile(const std::string& path, bool dataOnly) {
  const int fd = open(path.c_str(), O_RDONLY);
  ASSERT_GE(fd, 0) << path;
  EXPECT_EQ(dataOnly ? fdatasync(fd) : fsync(fd), 0);
  close(fd);
}

void SyncFolder(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(fd, 0) << path;
  EXPECT_EQ(fsync(fd), 0);
  close(fd);
}

struct Remembered {
  const char* name;
  std::function<void(const std::function<std::string(const std::string&)>& at)> act;
  // What each path holds after the reboot; nullopt: it is not there.
  std::vector<std::pair<std::string, std::optional<std::string>>> after;
};

void PrintTo(const Remembered& row, std::ostream* out) { *out << row.name; }

class PowerCutFsRemembers : public PowerCutFsTest,
                            public ::testing::WithParamInterface<Remembered> {};

TEST_P(PowerCutFsRemembers, WhatWasMadeDurableBeforeTheReboot) {
  GetParam().act(At);
  fs_->CutAfter(0);
  fs_->Reboot();
  for (const auto& [path, expected] : GetParam().after)
    EXPECT_EQ(Content(At(path)), expected) << path;
}

const Remembered kRemembered[] = {
    {"WriteAndCloseWithoutSyncIsLost",
     [](const auto& at) {
       WriteNew(at("a/new.txt"), "new\n", false);
       SyncFolder(at("a"));
       Overwrite(at("a/f.txt"), "changed\n");
     },
     {{"a/new.txt", ""}, {"a/f.txt", "seed\n"}}},
    {"SyncedFileWithoutItsFolderLosesItsNewName",
     [](const auto& at) { WriteNew(at("a/new.txt"), "new\n", true); },
     {{"a/new.txt", std::nullopt}, {"a/f.txt", "seed\n"}}},
    {"SyncedFileAndFolderKeepBoth",
     [](const auto& at) {
       WriteNew(at("a/new.txt"), "new\n", true);
       SyncFolder(at("a"));
     },
     {{"a/new.txt", "new\n"}}},
    {"DataSyncKeepsTheBytes",
     [](const auto& at) {
       Overwrite(at("a/f.txt"), "changed\n");
       SyncFile(at("a/f.txt"), true);
     },
     {{"a/f.txt", "changed\n"}}},
    {"RenameWithoutTheFolderSyncIsUndone",
     [](const auto& at) { ASSERT_EQ(rename(at("a/f.txt").c_str(), at("a/g.txt").c_str()), 0); },
     {{"a/f.txt", "seed\n"}, {"a/g.txt", std::nullopt}}},
    {"RenameIsDurableWithTheFolderSync",
     [](const auto& at) {
       ASSERT_EQ(rename(at("a/f.txt").c_str(), at("a/g.txt").c_str()), 0);
       SyncFolder(at("a"));
     },
     {{"a/f.txt", std::nullopt}, {"a/g.txt", "seed\n"}}},
    // Each folder's entries are durable on their own: the file is named by
    // both after its new folder alone was synced.
    {"RenameAcrossFoldersIsDurableInEachFolderApart",
     [](const auto& at) {
       ASSERT_EQ(rename(at("a/f.txt").c_str(), at("b/f.txt").c_str()), 0);
       SyncFolder(at("b"));
     },
     {{"a/f.txt", "seed\n"}, {"b/f.txt", "seed\n"}}},
    {"ReplacingRenameKeepsTheOldFileUntilTheFolderSync",
     [](const auto& at) {
       WriteNew(at("a/tmp"), "replacement\n", true);
       ASSERT_EQ(rename(at("a/tmp").c_str(), at("a/f.txt").c_str()), 0);
     },
     {{"a/f.txt", "seed\n"}, {"a/tmp", std::nullopt}}},
    {"NewFolderNeedsItsParentsSync",
     [](const auto& at) {
       ASSERT_EQ(mkdir(at("b/c").c_str(), 0755), 0);
       WriteNew(at("b/c/x"), "x\n", true);
       SyncFolder(at("b/c"));
     },
     {{"b/c/x", std::nullopt}}},
    {"UnlinkWithoutTheFolderSyncIsUndone",
     [](const auto& at) { ASSERT_EQ(unlink(at("a/f.txt").c_str()), 0); },
     {{"a/f.txt", "seed\n"}}},
};

INSTANTIATE_TEST_SUITE_P(Cases, PowerCutFsRemembers, ::testing::ValuesIn(kRemembered),
                         [](const auto& info) { return std::string(info.param.name); });

int Mode(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 ? static_cast<int>(info.st_mode & 07777) : -1;
}

std::string Xattr(const std::string& path) {
  char buffer[64];
  const ssize_t size = getxattr(path.c_str(), "user.DOSATTRIB", buffer, sizeof buffer);
  return size < 0 ? std::string() : std::string(buffer, static_cast<std::size_t>(size));
}

TEST_F(PowerCutFsTest, MetadataIsDurableWithTheFilesSyncOnly) {
  const std::string file = At("a/f.txt");
  ASSERT_EQ(chmod(file.c_str(), 0444), 0);
  ASSERT_EQ(setxattr(file.c_str(), "user.DOSATTRIB", "0x2", 3, 0), 0);
  SyncFile(file, true);
  SyncFolder(At("a"));
  fs_->CutAfter(0);
  fs_->Reboot();
  EXPECT_EQ(Mode(file), 0644);
  EXPECT_EQ(Xattr(file), "");

  fs_->Reset();
  ASSERT_EQ(chmod(file.c_str(), 0444), 0);
  ASSERT_EQ(setxattr(file.c_str(), "user.DOSATTRIB", "0x2", 3, 0), 0);
  SyncFile(file, false);
  fs_->CutAfter(0);
  fs_->Reboot();
  EXPECT_EQ(Mode(file), 0444);
  EXPECT_EQ(Xattr(file), "0x2");
}

TEST_F(PowerCutFsTest, HardLinkIsOneFileUnderTwoNames) {
  ASSERT_EQ(link(At("a/f.txt").c_str(), At("b/kept").c_str()), 0);
  SyncFolder(At("b"));
  ASSERT_EQ(unlink(At("a/f.txt").c_str()), 0);
  SyncFolder(At("a"));
  fs_->CutAfter(0);
  fs_->Reboot();
  EXPECT_EQ(Content(At("a/f.txt")), std::nullopt);
  EXPECT_EQ(Content(At("b/kept")), "seed\n");

  fs_->Reset();
  ASSERT_EQ(link(At("a/f.txt").c_str(), At("a/second").c_str()), 0);
  SyncFolder(At("a"));
  fs_->CutAfter(0);
  fs_->Reboot();
  struct stat first {
  }, second{};
  ASSERT_EQ(stat(At("a/f.txt").c_str(), &first), 0);
  ASSERT_EQ(stat(At("a/second").c_str(), &second), 0);
  EXPECT_EQ(first.st_ino, second.st_ino);
  EXPECT_EQ(first.st_nlink, 2u);
  Overwrite(At("a/second"), "through the second name\n");
  EXPECT_EQ(Content(At("a/f.txt")), "through the second name\n");
}

TEST_F(PowerCutFsTest, OpenFileKeepsWorkingAfterItsUnlink) {
  const int fd = open(At("a/f.txt").c_str(), O_RDWR);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(unlink(At("a/f.txt").c_str()), 0);
  EXPECT_EQ(Content(At("a/f.txt")), std::nullopt);
  ASSERT_EQ(pwrite(fd, "more\n", 5, 5), 5);
  char buffer[16] = {};
  EXPECT_EQ(pread(fd, buffer, sizeof buffer, 0), 10);
  EXPECT_EQ(std::string(buffer), "seed\nmore\n");
  struct stat info {};
  ASSERT_EQ(fstat(fd, &info), 0);
  EXPECT_EQ(info.st_size, 10);
  EXPECT_EQ(info.st_nlink, 0u);
  EXPECT_EQ(fsync(fd), 0);
  close(fd);
}

// create 1, write 2, fsync 3, the folder's fsync 4: the file is there
// after a cut only where the cut fell after the folder's sync.
TEST_F(PowerCutFsTest, CutFallsAfterTheGivenOperation) {
  const std::pair<int, std::optional<std::string>> cuts[] = {
      {1, std::nullopt}, {3, std::nullopt}, {4, "new\n"}, {5, "new\n"}};
  for (const auto& [cut, expected] : cuts) {
    fs_->Reset();
    fs_->CutAfter(cut);
    WriteNew(At("b/new"), "new\n", true);
    SyncFolder(At("b"));
    EXPECT_EQ(fs_->Count(), 4u);
    EXPECT_EQ(fs_->CutAt(), cut <= 4 ? static_cast<std::uint64_t>(cut) : 0u);
    fs_->Reboot();
    EXPECT_EQ(Content(At("b/new")), expected) << "cut after " << cut;
  }
  EXPECT_EQ(fs_->Operations(), (std::vector<std::string>{"create /b/new", "write /b/new 0+4",
                                                         "fsync /b/new", "fsyncdir /b"}));
}

TEST_F(PowerCutFsTest, RebootAgainGivesTheSameCrashImage) {
  fs_->CutAfter(2);
  WriteNew(At("b/first"), "1\n", true);
  SyncFolder(At("b"));
  fs_->Reboot();
  EXPECT_EQ(Content(At("b/first")), std::nullopt);
  WriteNew(At("b/later"), "2\n", true);
  SyncFolder(At("b"));
  ASSERT_EQ(Content(At("b/later")), "2\n");
  fs_->Reboot();
  EXPECT_EQ(Content(At("b/later")), std::nullopt);
  EXPECT_EQ(Content(At("a/f.txt")), "seed\n");
}

TEST_F(PowerCutFsTest, ResetGoesBackToTheSeed) {
  WriteNew(At("b/new"), "new\n", true);
  SyncFolder(At("b"));
  ASSERT_EQ(unlink(At("a/f.txt").c_str()), 0);
  fs_->Reset();
  EXPECT_EQ(fs_->Count(), 0u);
  EXPECT_EQ(Content(At("b/new")), std::nullopt);
  EXPECT_EQ(Content(At("a/f.txt")), "seed\n");
}

TEST_F(PowerCutFsTest, ListingsLeaveOutTheControlFiles) {
  std::vector<std::string> names;
  DIR* dir = opendir(mount_->root().c_str());
  ASSERT_NE(dir, nullptr);
  while (dirent* entry = readdir(dir)) names.push_back(entry->d_name);
  closedir(dir);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{".", "..", "a", "b"}));
}

TEST_F(PowerCutFsTest, ExclusiveCreationRefusesATakenName) {
  EXPECT_LT(open(At("a/f.txt").c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644), 0);
  EXPECT_EQ(errno, EEXIST);
}

// The kernel keeps the locks: a second open file description cannot take
// the lock that the first holds, as a second run cannot.
TEST_F(PowerCutFsTest, LocksHoldBetweenOpenFiles) {
  const int first = open(At("b/lock").c_str(), O_RDONLY | O_CREAT, 0666);
  const int second = open(At("b/lock").c_str(), O_RDONLY);
  ASSERT_GE(first, 0);
  ASSERT_GE(second, 0);
  EXPECT_EQ(flock(first, LOCK_EX | LOCK_NB), 0);
  EXPECT_NE(flock(second, LOCK_EX | LOCK_NB), 0);
  close(first);
  EXPECT_EQ(flock(second, LOCK_EX | LOCK_NB), 0);
  close(second);
}

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (!dir) return names;
  while (dirent* entry = readdir(dir))
    if (entry->d_name[0] != '.') names.push_back(entry->d_name);
  closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

// Three folders made one after the other and never synced: a torn cut
// keeps the first L of them, L as it tells, and the draws differ.
TEST_F(PowerCutFsTest, TornCutWritesAnOrderedPrefixOfWhatWasNotDurable) {
  const std::vector<std::string> made{"1", "2", "3"};
  std::vector<std::size_t> lengths;
  for (std::uint64_t seed = 1; seed <= 12; ++seed) {
    fs_->Reset();
    fs_->TornCuts(true, seed);
    for (const std::string& name : made) ASSERT_EQ(mkdir(At("b/" + name).c_str(), 0755), 0);
    fs_->Reboot();
    const std::vector<std::string> kept = Names(At("b"));
    ASSERT_LE(kept.size(), made.size());
    EXPECT_EQ(kept, std::vector<std::string>(made.begin(), made.begin() + kept.size()));
    EXPECT_EQ(fs_->State(), "count 3\ncut 3\ntorn " + std::to_string(kept.size()) + " of 3\n");
    lengths.push_back(kept.size());
  }
  fs_->TornCuts(false, 0);
  std::sort(lengths.begin(), lengths.end());
  EXPECT_NE(lengths.front(), lengths.back());
}

// What a sync made durable is never written over by an earlier change.
TEST_F(PowerCutFsTest, TornCutKeepsWhatWasSynced) {
  for (std::uint64_t seed = 1; seed <= 12; ++seed) {
    fs_->Reset();
    fs_->TornCuts(true, seed);
    Overwrite(At("a/f.txt"), "first\n");
    SyncFile(At("a/f.txt"), true);
    Overwrite(At("a/f.txt"), "second\n");
    fs_->Reboot();
    const std::optional<std::string> bytes = Content(At("a/f.txt"));
    // Synced, then truncated and written again: never the seed's bytes.
    EXPECT_TRUE(bytes == "first\n" || bytes == "" || bytes == "second\n")
        << bytes.value_or("(gone)");
  }
  fs_->TornCuts(false, 0);
}

TEST_F(PowerCutFsTest, RunLockIsTakenOnce) {
  const std::string path = platform::ToBackslashes(At("b/Vantrel.lock"));
  platform::FileLock first, second;
  bool acquired = false;
  ASSERT_TRUE(first.TryAcquire(path, acquired).ok);
  EXPECT_TRUE(acquired);
  ASSERT_TRUE(second.TryAcquire(path, acquired).ok);
  EXPECT_FALSE(acquired);
}

}  // namespace
