// Existence and listings on Windows: the entry itself listed, wildcards
// never taken as patterns.

#include <gtest/gtest.h>

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
