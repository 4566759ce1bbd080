// Existence and listings on Windows: the entry itself listed, wildcards
// never taken as patterns.

#include <gtest/gtest.h>
#include <windows.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "platform/platform.h"
#include "support/test_env.h"

namespace {

using testenv::ScratchDrive;

TEST(Win32Entries, AWildcardNeverNamesAnEntry) {
  ScratchDrive drive;
  drive.Write("C:\\Dir\\A.src", "x");
  EXPECT_FALSE(platform::Exists("C:\\Dir\\*.src"));
  EXPECT_FALSE(platform::Exists("C:\\Dir\\?.src"));
  EXPECT_FALSE(platform::FileExists("C:\\Dir\\*"));
  std::vector<platform::DirEntry> entries;
  EXPECT_FALSE(platform::ListFolder("C:\\D*", entries));
}

// A folder whose listing pattern is too long for the ANSI functions is a
// failure with its reason, never an empty listing.
TEST(Win32Entries, AFolderTooDeepToListIsAFailureNotAnEmptyFolder) {
  ScratchDrive drive;
  std::string path = "C:";
  while (drive.Host(path).size() < MAX_PATH - 12) path += "\\DEEP";
  const std::string host = drive.Host(path);
  std::string padded = path + "\\" + std::string(MAX_PATH - 2 - host.size(), 'x');
  // Made with the long-path prefix, as another program may have made it.
  std::filesystem::create_directories("\\\\?\\" + drive.Host(padded));
  std::ofstream("\\\\?\\" + drive.Host(padded) + "\\prog.src") << "x";
  // The folder itself is within reach; its listing pattern is not.
  ASSERT_EQ(drive.Host(padded).size(), static_cast<std::size_t>(MAX_PATH - 1));
  ASSERT_TRUE(platform::FolderExists(padded));
  std::vector<platform::DirEntry> entries;
  platform::Status status = platform::ListFolder(padded, entries);
  EXPECT_FALSE(status.ok);
  EXPECT_EQ(status.reason, std::strerror(ENAMETOOLONG));
  EXPECT_TRUE(entries.empty());
  std::error_code ignored;
  std::filesystem::remove_all("\\\\?\\" + drive.Host("C:\\DEEP"), ignored);
}

TEST(Win32Entries, AFolderExistsWithATrailingBackslashAndTheDriveItself) {
  ScratchDrive drive;
  drive.MakeFolder("C:\\Dir");
  EXPECT_TRUE(platform::Exists("C:\\Dir\\"));
  EXPECT_TRUE(platform::Exists("C:\\"));
  EXPECT_TRUE(platform::FolderExists("C:\\Dir\\"));
}

TEST(Win32Entries, AListingCarriesOnlyTheKnownAttributes) {
  ScratchDrive drive;
  drive.Write("C:\\Dir\\b.dat", "x");
  drive.MakeFolder("C:\\Dir\\A");
  ASSERT_TRUE(platform::SetAttributes("C:\\Dir\\b.dat", platform::kHidden | platform::kArchive));
  std::vector<platform::DirEntry> entries;
  ASSERT_TRUE(platform::ListFolder("C:\\Dir\\", entries));
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].name, "A");
  EXPECT_EQ(entries[0].attributes & ~platform::kArchive, platform::kFolder);
  EXPECT_EQ(entries[1].name, "b.dat");
  EXPECT_EQ(entries[1].attributes, platform::kHidden | platform::kArchive);
}

}  // namespace
