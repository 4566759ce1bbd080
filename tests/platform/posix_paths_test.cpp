// What the POSIX platform layer adds to the contract of platform.h: the
// mapping of system-form paths to host folders, permissions as read-only,
// symbolic links, and the command line of a POSIX program.

#include "platform/platform.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/paths.h"
#include "support/test_env.h"

namespace fs = std::filesystem;

namespace {

using testenv::ScratchDrive;

TEST(PosixPaths, DriveMapsToItsFolderAndComponentsIgnoreCase) {
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

TEST(PosixPaths, UnmappedDriveDoesNotExistAndRootedPathsAreHostPaths) {
  ScratchDrive drive;
  platform::RemoveEnvironmentValue("VANTREL_DRIVE_Q");
  EXPECT_FALSE(platform::Exists("Q:\\"));
  EXPECT_FALSE(platform::CreateFolder("Q:\\X").ok);
  std::string hostRoot = platform::ToBackslashes(drive.root());
  drive.Write("C:\\A.TXT", "x");
  EXPECT_TRUE(platform::FileExists(hostRoot + "\\a.txt"));
}

TEST(PosixPaths, DriveCDefaultsToAFolderBelowHome) {
  const char* home = std::getenv("HOME");
  std::string saved = home ? home : "";
  platform::RemoveEnvironmentValue("VANTREL_DRIVE_C");
  platform::SetEnvironmentValue("HOME", "/nonexistent-home");
  EXPECT_EQ(platform::HostPath("C:\\X"), "/nonexistent-home/.vantrel/c/X");
  platform::SetEnvironmentValue("HOME", saved);
}

TEST(PosixAttributes, ReadOnlyClearsAllWriteBitsAndClearingRestoresOwners) {
  ScratchDrive drive;
  drive.Write("C:\\F.TXT", "x");
  fs::path host = drive.Host("C:\\F.TXT");
  fs::permissions(host, fs::perms(0666));
  ASSERT_TRUE(platform::SetAttributes("C:\\F.TXT", platform::kReadOnly).ok);
  EXPECT_EQ(fs::status(host).permissions() & fs::perms(0222), fs::perms::none);
  ASSERT_TRUE(platform::SetAttributes("C:\\F.TXT", 0).ok);
  EXPECT_EQ(fs::status(host).permissions() & fs::perms(0222), fs::perms::owner_write);
}

TEST(PosixListing, OrderedByUpperCasedNameWithLinksMarked) {
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

TEST(PosixPaths, SameOrNestedFollowsLinksAndCase) {
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

TEST(PosixPaths, AComponentLeadingFurtherIsMatchedToAFolder) {
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

TEST(PosixListing, KindsOnlyTellFoldersAndLinks) {
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

// A shell splits an unquoted command line at blanks; the pieces are joined
// again, and every "/" is read as "\".
TEST(PosixCommandLine, ArgumentsAreJoinedByOneBlankWithSlashesAsBackslashes) {
  std::string words[] = {"vantrel", "C:/A", "B/R1|C:/A", "B/R1"};
  char* argv[] = {words[0].data(), words[1].data(), words[2].data(), words[3].data()};
  EXPECT_EQ(platform::CommandLineText(4, argv), "C:\\A B\\R1|C:\\A B\\R1");
  EXPECT_EQ(platform::ArgumentText(4, argv), "C:/A B/R1|C:/A B/R1");
  EXPECT_EQ(platform::CommandLineText(1, argv), "");
}

}  // namespace
