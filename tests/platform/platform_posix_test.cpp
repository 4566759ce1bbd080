#include "platform/platform.h"

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/paths.h"
#include "support/test_env.h"

namespace fs = std::filesystem;

namespace {

using testenv::ScratchDrive;

TEST(PlatformPaths, DriveMapsToItsFolderAndComponentsIgnoreCase) {
  ScratchDrive drive;
  drive.Write("C:\\Qvd\\Roboter\\File.TXT", "x");
  EXPECT_EQ(platform::HostPath("C:\\QVD\\ROBOTER\\file.txt"), drive.root() + "/Qvd/Roboter/File.TXT");
  EXPECT_EQ(platform::HostPath("c:/qvd/roboter"), drive.root() + "/Qvd/Roboter");
  // New components keep their case; the existing part is still matched.
  EXPECT_EQ(platform::HostPath("C:\\QVD\\NEW\\Sub"), drive.root() + "/Qvd/NEW/Sub");
  EXPECT_TRUE(platform::FileExists("C:\\qvd\\ROBOTER\\FILE.txt"));
  EXPECT_TRUE(platform::FolderExists("C:\\QVD"));
  EXPECT_FALSE(platform::FolderExists("C:\\QVD\\ROBOTER\\FILE.TXT"));
}

TEST(PlatformPaths, UnmappedDriveDoesNotExistAndRootedPathsAreHostPaths) {
  ScratchDrive drive;
  unsetenv("VANTREL_DRIVE_Q");
  EXPECT_FALSE(platform::Exists("Q:\\"));
  EXPECT_FALSE(platform::CreateFolder("Q:\\X").ok);
  std::string hostRoot = platform::ToBackslashes(drive.root());
  drive.Write("C:\\A.TXT", "x");
  EXPECT_TRUE(platform::FileExists(hostRoot + "\\a.txt"));
}

TEST(PlatformPaths, DriveCDefaultsToAFolderBelowHome) {
  const char* home = std::getenv("HOME");
  std::string saved = home ? home : "";
  unsetenv("VANTREL_DRIVE_C");
  setenv("HOME", "/nonexistent-home", 1);
  EXPECT_EQ(platform::HostPath("C:\\X"), "/nonexistent-home/.vantrel/c/X");
  setenv("HOME", saved.c_str(), 1);
}

TEST(PlatformAttributes, RoundTripOnFilesAndFolders) {
  ScratchDrive drive;
  drive.Write("C:\\F.TXT", "x");
  drive.MakeFolder("C:\\D");
  for (int attributes : {0, 1, 2, 4, 32, 1 | 2 | 4 | 32, 2 | 32}) {
    ASSERT_TRUE(platform::SetAttributes("C:\\F.TXT", attributes).ok);
    int read = -1;
    ASSERT_TRUE(platform::GetAttributes("C:\\F.TXT", read).ok);
    EXPECT_EQ(read, attributes);
    ASSERT_TRUE(platform::SetAttributes("C:\\D", attributes).ok);
    ASSERT_TRUE(platform::GetAttributes("C:\\D", read).ok);
    EXPECT_EQ(read, attributes | platform::kFolder);
  }
}

TEST(PlatformAttributes, ReadOnlyClearsAllWriteBitsAndClearingRestoresOwners) {
  ScratchDrive drive;
  drive.Write("C:\\F.TXT", "x");
  fs::path host = drive.Host("C:\\F.TXT");
  fs::permissions(host, fs::perms(0666));
  ASSERT_TRUE(platform::SetAttributes("C:\\F.TXT", platform::kReadOnly).ok);
  EXPECT_EQ(fs::status(host).permissions() & fs::perms(0222), fs::perms::none);
  ASSERT_TRUE(platform::SetAttributes("C:\\F.TXT", 0).ok);
  EXPECT_EQ(fs::status(host).permissions() & fs::perms(0222), fs::perms::owner_write);
}

TEST(PlatformListing, OrderedByUpperCasedNameWithLinksMarked) {
  ScratchDrive drive;
  drive.Write("C:\\T\\b.txt", "");
  drive.Write("C:\\T\\A.txt", "");
  drive.Write("C:\\T\\_x", "");
  drive.MakeFolder("C:\\T\\c");
  fs::create_directory_symlink(drive.Host("C:\\T\\c"), drive.Host("C:\\T\\Loop"));
  std::vector<platform::DirEntry> entries;
  ASSERT_TRUE(platform::ListFolder("C:\\t", entries).ok);
  std::vector<std::string> names;
  for (const auto& entry : entries) names.push_back(entry.name);
  EXPECT_EQ(names, (std::vector<std::string>{"A.txt", "b.txt", "c", "Loop", "_x"}));
  EXPECT_EQ(entries[2].attributes & platform::kFolder, platform::kFolder);
  EXPECT_FALSE(entries[2].link);
  EXPECT_TRUE(entries[3].link);
}

TEST(PlatformListing, FindFilesSkipsHiddenSystemAndFolders) {
  ScratchDrive drive;
  drive.Write("C:\\V\\a.add", "");
  drive.Write("C:\\V\\B.ADD", "");
  drive.Write("C:\\V\\h.add", "");
  drive.Write("C:\\V\\x.addx", "");
  drive.MakeFolder("C:\\V\\d.add");
  platform::SetAttributes("C:\\V\\h.add", platform::kHidden);
  std::vector<std::string> names;
  ASSERT_TRUE(platform::FindFiles("C:\\V", "add", names).ok);
  EXPECT_EQ(names, (std::vector<std::string>{"a.add", "B.ADD"}));
}

TEST(PlatformFiles, CopyReplacesReadOnlyTargetAndKeepsSourceAttributes) {
  ScratchDrive drive;
  drive.Write("C:\\S.TXT", std::string("new\r\n\xff\x00z", 8));
  drive.Write("C:\\T.TXT", "old");
  platform::SetAttributes("C:\\T.TXT", platform::kReadOnly);
  platform::SetAttributes("C:\\S.TXT", platform::kHidden);
  ASSERT_TRUE(platform::CopyFileAtomic("C:\\S.TXT", "C:\\T.TXT").ok);
  EXPECT_EQ(drive.Read("C:\\T.TXT"), std::string("new\r\n\xff\x00z", 8));
  int attributes = 0;
  platform::GetAttributes("C:\\T.TXT", attributes);
  EXPECT_EQ(attributes, platform::kHidden);
}

TEST(PlatformFiles, FailedCopyLeavesTargetAndNoTemporaryFile) {
  ScratchDrive drive;
  drive.MakeFolder("C:\\SRC");
  drive.Write("C:\\T.TXT", "old");
  platform::Status status = platform::CopyFileAtomic("C:\\SRC", "C:\\T.TXT");
  EXPECT_FALSE(status.ok);
  EXPECT_FALSE(status.reason.empty());
  EXPECT_EQ(drive.Read("C:\\T.TXT"), "old");
  drive.Write("C:\\S.TXT", "new");
  drive.MakeFolder("C:\\TD");
  EXPECT_FALSE(platform::CopyFileAtomic("C:\\S.TXT", "C:\\TD").ok);
  EXPECT_FALSE(platform::CopyFileAtomic("C:\\MISSING.TXT", "C:\\T.TXT").ok);
  int files = 0;
  for (auto& entry : fs::directory_iterator(drive.root())) files += entry.is_regular_file();
  EXPECT_EQ(files, 2);  // S.TXT and T.TXT, nothing left over
}

TEST(PlatformFiles, WriteKeepsTheTargetsAttributesAndReadGivesBytes) {
  ScratchDrive drive;
  drive.Write("C:\\F.DAT", "old");
  platform::SetAttributes("C:\\F.DAT", platform::kSystem | platform::kReadOnly);
  ASSERT_TRUE(platform::WriteFileAtomic("C:\\F.DAT", "a\rb\r\n").ok);
  std::string bytes;
  ASSERT_TRUE(platform::ReadFileBytes("C:\\f.dat", bytes).ok);
  EXPECT_EQ(bytes, "a\rb\r\n");
  int attributes = 0;
  platform::GetAttributes("C:\\F.DAT", attributes);
  EXPECT_EQ(attributes, platform::kSystem | platform::kReadOnly);
  EXPECT_FALSE(platform::ReadFileBytes("C:\\NONE.DAT", bytes).ok);
}

TEST(PlatformProcess, RunAndWaitGivesExitCodeAndArgumentWhole) {
  ScratchDrive drive;
  drive.Write("C:\\P R\\prog.sh", "#!/bin/sh\nprintf '%s' \"$1\" > \"$(dirname \"$0\")/arg\"\nexit 7\n");
  fs::permissions(drive.Host("C:\\P R\\prog.sh"), fs::perms::owner_all);
  platform::RunResult result = platform::RunAndWait("C:\\P R\\prog.sh", "a b | c /TXT");
  EXPECT_TRUE(result.started);
  EXPECT_EQ(result.exitCode, 7);
  EXPECT_EQ(drive.Read("C:\\P R\\arg"), "a b | c /TXT");

  result = platform::RunAndWait("C:\\P R\\missing.exe", "x");
  EXPECT_FALSE(result.started);
  EXPECT_FALSE(result.reason.empty());
}

TEST(PlatformPaths, SameOrNestedFollowsLinksAndCase) {
  ScratchDrive drive;
  drive.MakeFolder("C:\\OLD\\R1\\NEW");
  drive.MakeFolder("C:\\OTHER");
  fs::create_directory_symlink(drive.Host("C:\\OLD"), drive.Host("C:\\ALIAS"));
  EXPECT_TRUE(platform::SameOrNested("C:\\OLD\\R1", "C:\\old\\r1"));
  EXPECT_TRUE(platform::SameOrNested("C:\\OLD\\R1", "C:\\OLD\\R1\\NEW"));
  EXPECT_TRUE(platform::SameOrNested("C:\\ALIAS\\R1\\NEW", "C:\\OLD\\R1"));
  EXPECT_FALSE(platform::SameOrNested("C:\\OLD\\R1", "C:\\OTHER"));
  EXPECT_FALSE(platform::SameOrNested("C:\\OLD\\R1", "C:\\OLD\\R1X"));
}

}  // namespace

namespace {

TEST(PlatformFiles, StaleTemporaryFilesOfEndedWritersAreRemoved) {
  ScratchDrive drive;
  std::string own = ".vantrel-tmp-" + std::to_string(getpid()) + "-0";
  drive.Write("C:\\D\\.vantrel-tmp-4194303-0", "left by a killed writer");
  drive.Write("C:\\D\\" + own, "still being written");
  drive.Write("C:\\D\\A.SRC", "customer's");
  platform::RemoveStaleTempFiles("C:\\D");
  EXPECT_FALSE(drive.Exists("C:\\D\\.vantrel-tmp-4194303-0"));
  EXPECT_TRUE(drive.Exists("C:\\D\\" + own));
  EXPECT_TRUE(drive.Exists("C:\\D\\A.SRC"));
}

}  // namespace

namespace {

TEST(PlatformPaths, AComponentLeadingFurtherIsMatchedToAFolder) {
  ScratchDrive drive;
  drive.Write("C:\\P\\vantrel", "the program");
  drive.Write("C:\\P\\Vantrel\\x.upg", "control");
  EXPECT_EQ(platform::HostPath("C:\\P\\VANTREL\\x.upg"), drive.root() + "/P/Vantrel/x.upg");
  EXPECT_EQ(platform::HostPath("C:\\P\\vantrel\\x.upg"), drive.root() + "/P/Vantrel/x.upg");
  EXPECT_EQ(platform::HostPath("C:\\P\\vantrel"), drive.root() + "/P/vantrel");
  // Among entries of equal rank the first in byte order wins, whatever the
  // order of the directory.
  drive.Write("C:\\Q\\abc", "1");
  drive.Write("C:\\Q\\ABc", "2");
  EXPECT_EQ(platform::HostPath("C:\\Q\\aBC"), drive.root() + "/Q/ABc");
}

}  // namespace

namespace {

TEST(PlatformListing, KindsOnlyTellFoldersAndLinks) {
  ScratchDrive drive;
  drive.Write("C:\\T\\a.txt", "");
  drive.MakeFolder("C:\\T\\b");
  drive.MakeFolder("C:\\T\\c");
  platform::SetAttributes("C:\\T\\a.txt", platform::kHidden | platform::kReadOnly);
  fs::create_directory_symlink(drive.Host("C:\\T\\c"), drive.Host("C:\\T\\d"));
  fs::create_symlink(drive.Host("C:\\T\\a.txt"), drive.Host("C:\\T\\e"));
  std::vector<platform::DirEntry> entries;
  ASSERT_TRUE(platform::ListFolder("C:\\T", entries, platform::ListDetail::kKinds).ok);
  ASSERT_EQ(entries.size(), 5u);
  EXPECT_EQ(entries[0].attributes, 0);  // a.txt: its own bits are not asked for
  EXPECT_EQ(entries[1].attributes, platform::kFolder);
  EXPECT_FALSE(entries[1].link);
  EXPECT_EQ(entries[3].attributes & platform::kFolder, platform::kFolder);
  EXPECT_TRUE(entries[3].link);
  EXPECT_EQ(entries[4].attributes & platform::kFolder, 0);
  EXPECT_TRUE(entries[4].link);
}

}  // namespace

namespace {

const std::string kLinkReason = "symbolic link on the path, left alone";

// Every write through a link below the drive's folder is refused, and the
// link's target stays as it was.
TEST(PlatformLinks, WritesThroughALinkedFolderAreRefused) {
  ScratchDrive drive;
  drive.Write("C:\\OUT\\victim.txt", "outside");
  drive.Write("C:\\S.TXT", "new");
  drive.MakeFolder("C:\\DEST");
  fs::create_directory_symlink(drive.Host("C:\\OUT"), drive.Host("C:\\DEST\\LINKED"));
  EXPECT_EQ(platform::CopyFileAtomic("C:\\S.TXT", "C:\\DEST\\LINKED\\victim.txt").reason,
            kLinkReason);
  EXPECT_EQ(platform::WriteFileAtomic("C:\\DEST\\LINKED\\victim.txt", "x").reason, kLinkReason);
  EXPECT_EQ(platform::SetAttributes("C:\\DEST\\LINKED\\victim.txt", platform::kReadOnly).reason,
            kLinkReason);
  EXPECT_EQ(platform::CreateFolder("C:\\DEST\\LINKED\\NEW").reason, kLinkReason);
  EXPECT_EQ(platform::RemoveFile("C:\\DEST\\LINKED\\victim.txt").reason, kLinkReason);
  EXPECT_EQ(drive.Read("C:\\OUT\\victim.txt"), "outside");
  EXPECT_FALSE(drive.Exists("C:\\OUT\\NEW"));
  int attributes = 0;
  platform::GetAttributes("C:\\OUT\\victim.txt", attributes);
  EXPECT_EQ(attributes, 0);
}

TEST(PlatformLinks, AFileThatIsALinkIsNeitherReplacedNorChanged) {
  ScratchDrive drive;
  drive.Write("C:\\OUT\\victim.txt", "outside");
  drive.Write("C:\\S.TXT", "new");
  fs::create_symlink(drive.Host("C:\\OUT\\victim.txt"), drive.Host("C:\\T.TXT"));
  EXPECT_EQ(platform::CopyFileAtomic("C:\\S.TXT", "C:\\T.TXT").reason, kLinkReason);
  EXPECT_EQ(platform::SetAttributes("C:\\T.TXT", platform::kHidden).reason, kLinkReason);
  EXPECT_TRUE(fs::is_symlink(drive.Host("C:\\T.TXT")));
  EXPECT_TRUE(platform::IsSymbolicLink("C:\\T.TXT"));
  EXPECT_FALSE(platform::IsSymbolicLink("C:\\S.TXT"));
  // The drive's own folder may be reached through a link.
  fs::create_directory_symlink(drive.root(), drive.root() + "-link");
  setenv("VANTREL_DRIVE_C", (drive.root() + "-link").c_str(), 1);
  EXPECT_TRUE(platform::WriteFileAtomic("C:\\S.TXT", "through the drive").ok);
  setenv("VANTREL_DRIVE_C", drive.root().c_str(), 1);
  fs::remove(drive.root() + "-link");
  EXPECT_EQ(drive.Read("C:\\S.TXT"), "through the drive");
}

TEST(PlatformLinks, ACopyDoesNotFollowASourceLink) {
  ScratchDrive drive;
  drive.Write("C:\\OUT\\secret.txt", "secret");
  fs::create_symlink(drive.Host("C:\\OUT\\secret.txt"), drive.Host("C:\\S.TXT"));
  EXPECT_EQ(platform::CopyFileAtomic("C:\\S.TXT", "C:\\T.TXT").reason,
            "symbolic link, not followed");
  EXPECT_FALSE(drive.Exists("C:\\T.TXT"));
}

// A FIFO with no writer would block a reader for ever.
TEST(PlatformFiles, FifosAndDevicesAreNeverReadAsFiles) {
  ScratchDrive drive;
  ASSERT_EQ(mkfifo(drive.Host("C:\\PIPE").c_str(), 0644), 0);
  fs::create_symlink("/dev/zero", drive.Host("C:\\ZERO"));
  std::string bytes;
  EXPECT_EQ(platform::ReadFileBytes("C:\\PIPE", bytes).reason, "not an ordinary file");
  EXPECT_EQ(platform::ReadFileBytes("C:\\ZERO", bytes).reason, "not an ordinary file");
  EXPECT_EQ(platform::CopyFileAtomic("C:\\PIPE", "C:\\T.TXT").reason, "not an ordinary file");
  EXPECT_FALSE(drive.Exists("C:\\T.TXT"));
  std::vector<platform::DirEntry> entries;
  ASSERT_TRUE(platform::ListFolder("C:\\", entries, platform::ListDetail::kKinds).ok);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_TRUE(entries[0].special);  // PIPE
  EXPECT_FALSE(entries[0].link);
  EXPECT_TRUE(entries[1].link);  // ZERO
}

TEST(PlatformFiles, HardLinksShareTheIdentityAndAReplaceGivesANewOne) {
  ScratchDrive drive;
  drive.Write("C:\\A.TXT", "shared");
  fs::create_hard_link(drive.Host("C:\\A.TXT"), drive.Host("C:\\B.TXT"));
  platform::FileIdentity a, b;
  ASSERT_TRUE(platform::GetFileIdentity("C:\\A.TXT", a).ok);
  ASSERT_TRUE(platform::GetFileIdentity("C:\\B.TXT", b).ok);
  EXPECT_EQ(a.volume, b.volume);
  EXPECT_EQ(a.index, b.index);
  EXPECT_EQ(a.links, 2u);
  ASSERT_TRUE(platform::WriteFileAtomic("C:\\B.TXT", "own").ok);
  ASSERT_TRUE(platform::GetFileIdentity("C:\\B.TXT", b).ok);
  EXPECT_NE(a.index, b.index);
  EXPECT_EQ(drive.Read("C:\\A.TXT"), "shared");
}

// Read-only on a folder does not stop writes into it on the controller.
TEST(PlatformFiles, AReadOnlyFolderTakesNewFilesAndStaysReadOnly) {
  ScratchDrive drive;
  drive.Write("C:\\LOCKED\\A.TXT", "old");
  drive.Write("C:\\S.TXT", "copied");
  ASSERT_TRUE(platform::SetAttributes("C:\\LOCKED", platform::kReadOnly).ok);
  EXPECT_TRUE(platform::WriteFileAtomic("C:\\LOCKED\\A.TXT", "new").ok);
  EXPECT_TRUE(platform::CopyFileAtomic("C:\\S.TXT", "C:\\LOCKED\\B.TXT").ok);
  EXPECT_TRUE(platform::CreateFolder("C:\\LOCKED\\SUB").ok);
  EXPECT_TRUE(platform::RemoveFile("C:\\LOCKED\\B.TXT").ok);
  EXPECT_EQ(drive.Read("C:\\LOCKED\\A.TXT"), "new");
  int attributes = 0;
  platform::GetAttributes("C:\\LOCKED", attributes);
  EXPECT_EQ(attributes, platform::kFolder | platform::kReadOnly);
}

TEST(PlatformAttributes, ReadOnlyWithHiddenOnAFolderInOneCall) {
  ScratchDrive drive;
  drive.MakeFolder("C:\\F");
  ASSERT_TRUE(platform::SetAttributes("C:\\F", platform::kReadOnly | platform::kHidden).ok);
  ASSERT_TRUE(platform::SetAttributes("C:\\F", platform::kReadOnly | platform::kSystem).ok);
  int attributes = 0;
  platform::GetAttributes("C:\\F", attributes);
  EXPECT_EQ(attributes, platform::kFolder | platform::kReadOnly | platform::kSystem);
}

}  // namespace

namespace {

// A bind mount shows the source under another path that no path
// comparison links to it; device and inode do.
TEST(PlatformPaths, SameOrNestedSeesTheSourceMountedAsTheDestination) {
  ScratchDrive drive;
  drive.Write("C:\\OLD\\R1\\A.SRC", "old");
  drive.MakeFolder("C:\\OLD\\R1\\SUB");
  drive.MakeFolder("C:\\NEW\\R1");
  if (mount(drive.Host("C:\\OLD\\R1").c_str(), drive.Host("C:\\NEW\\R1").c_str(), nullptr,
            MS_BIND, nullptr) != 0)
    GTEST_SKIP() << "no bind mounts without privileges";
  bool same = platform::SameOrNested("C:\\OLD\\R1", "C:\\NEW\\R1");
  bool nested = platform::SameOrNested("C:\\OLD\\R1\\SUB", "C:\\NEW\\R1");
  bool apart = platform::SameOrNested("C:\\NEW", "C:\\OLD");
  umount(drive.Host("C:\\NEW\\R1").c_str());
  EXPECT_TRUE(same);
  EXPECT_TRUE(nested);
  EXPECT_FALSE(apart);
}

}  // namespace
