// What the POSIX layer does with links, FIFOs, hard links, read-only
// folders and mounts: the ways a host tree can differ from a controller's.

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "platform/platform.h"
#include "support/test_env.h"

namespace fs = std::filesystem;
using testenv::ScratchDrive;
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

// Outside a run the folders above a target are asked about at once: a link
// deep in the path is found there, and below it where folders are missing.
TEST(PlatformLinks, ALinkDeepInThePathIsFoundOutsideARun) {
  ScratchDrive drive;
  drive.Write("C:\\OUT\\SUB\\victim.txt", "outside");
  drive.MakeFolder("C:\\DEST\\A\\B");
  fs::create_directory_symlink(drive.Host("C:\\OUT"), drive.Host("C:\\DEST\\A\\B\\LINKED"));
  EXPECT_EQ(platform::WriteFileAtomic("C:\\DEST\\A\\B\\LINKED\\SUB\\victim.txt", "x").reason,
            kLinkReason);
  EXPECT_EQ(platform::CreateFolder("C:\\DEST\\A\\B\\LINKED\\NEW\\DEEPER").reason, kLinkReason);
  EXPECT_EQ(drive.Read("C:\\OUT\\SUB\\victim.txt"), "outside");
  EXPECT_FALSE(drive.Exists("C:\\OUT\\NEW"));
  EXPECT_TRUE(platform::WriteFileAtomic("C:\\DEST\\A\\B\\real.txt", "inside").ok);
  EXPECT_EQ(drive.Read("C:\\DEST\\A\\B\\real.txt"), "inside");
}

// During a run the folders above a target are looked at once: what was
// learnt of one folder must not let a link beside it through.
TEST(PlatformLinks, ARunRemembersFoldersButStillFindsLinks) {
  ScratchDrive drive;
  drive.Write("C:\\OUT\\victim.txt", "outside");
  drive.MakeFolder("C:\\DEST\\REAL");
  fs::create_directory_symlink(drive.Host("C:\\OUT"), drive.Host("C:\\DEST\\LINKED"));
  platform::NameCacheScope run;
  EXPECT_TRUE(platform::WriteFileAtomic("C:\\DEST\\REAL\\a.txt", "a").ok);
  EXPECT_TRUE(platform::WriteFileAtomic("C:\\DEST\\REAL\\b.txt", "b").ok);
  EXPECT_EQ(platform::WriteFileAtomic("C:\\DEST\\LINKED\\victim.txt", "x").reason, kLinkReason);
  EXPECT_EQ(platform::CreateFolder("C:\\DEST\\LINKED\\NEW").reason, kLinkReason);
  EXPECT_EQ(drive.Read("C:\\OUT\\victim.txt"), "outside");
  // A file of a remembered folder that is a link is still refused.
  fs::create_symlink(drive.Host("C:\\OUT\\victim.txt"), drive.Host("C:\\DEST\\REAL\\c.txt"));
  EXPECT_EQ(platform::WriteFileAtomic("C:\\DEST\\REAL\\c.txt", "x").reason, kLinkReason);
  EXPECT_EQ(drive.Read("C:\\OUT\\victim.txt"), "outside");
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

// Attributes are set through no link, also when they are as asked already.
TEST(PlatformLinks, AttributesAreNotSetThroughALink) {
  ScratchDrive drive;
  drive.Write("C:\\OUT\\file.txt", "x");
  fs::create_symlink(drive.Host("C:\\OUT\\file.txt"), drive.Host("C:\\L.TXT"));
  int attributes = 0;
  ASSERT_TRUE(platform::GetAttributes("C:\\OUT\\file.txt", attributes).ok);
  for (int wanted : {attributes, attributes | platform::kReadOnly}) {
    EXPECT_EQ(platform::SetAttributes("C:\\L.TXT", wanted).reason,
              "symbolic link on the path, left alone");
  }
  ASSERT_TRUE(platform::GetAttributes("C:\\OUT\\file.txt", attributes).ok);
  EXPECT_EQ(attributes & platform::kReadOnly, 0);
}

// A FIFO with no writer would block a reader for ever.
TEST(PlatformFiles, FifosAndDevicesAreNeverReadAsFiles) {
  ScratchDrive drive;
  ASSERT_EQ(mkfifo(drive.Host("C:\\PIPE").c_str(), 0644), 0);
  fs::create_symlink("/dev/zero", drive.Host("C:\\ZERO"));
  std::string bytes;
  EXPECT_EQ(platform::ReadFileBytes("C:\\PIPE", bytes).reason, "not an ordinary file");
  EXPECT_EQ(platform::ReadFileBytes("C:\\ZERO", bytes).reason, "not an ordinary file");
  platform::FileBytes pipe, zero;
  EXPECT_EQ(pipe.Open("C:\\PIPE").reason, "not an ordinary file");
  EXPECT_EQ(zero.Open("C:\\ZERO").reason, "not an ordinary file");
  EXPECT_EQ(platform::CopyFileAtomic("C:\\PIPE", "C:\\T.TXT").reason, "not an ordinary file");
  EXPECT_FALSE(drive.Exists("C:\\T.TXT"));
  std::vector<platform::DirEntry> entries;
  ASSERT_TRUE(platform::ListFolder("C:\\", entries, platform::ListDetail::kKinds).ok);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_TRUE(entries[0].special);  // PIPE
  EXPECT_FALSE(entries[0].link);
  EXPECT_TRUE(entries[1].link);  // ZERO
}

// A read takes the size the file had when opened; a file that says it is
// empty, as the kernel's own files do, is read to its end all the same.
TEST(PlatformFiles, AFileThatSaysItIsEmptyIsReadToItsEnd) {
  const std::string folder = "/proc/" + std::to_string(getpid());
  ASSERT_TRUE(platform::SetEnvironmentValue("VANTREL_DRIVE_P", folder).ok);
  std::string bytes;
  EXPECT_TRUE(platform::ReadFileBytes("P:\\status", bytes).ok);
  EXPECT_EQ(bytes.rfind("Name:", 0), 0u) << bytes.substr(0, 40);
  EXPECT_NE(bytes.find("\nPid:"), std::string::npos);
  platform::RemoveEnvironmentValue("VANTREL_DRIVE_P");
  ScratchDrive drive;
  const std::string large(200000, 'x');
  drive.Write("C:\\LARGE.TXT", large);
  EXPECT_TRUE(platform::ReadFileBytes("C:\\LARGE.TXT", bytes).ok);
  EXPECT_EQ(bytes, large);
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
  if (mount(drive.Host("C:\\OLD\\R1").c_str(), drive.Host("C:\\NEW\\R1").c_str(), nullptr, MS_BIND,
            nullptr) != 0)
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
