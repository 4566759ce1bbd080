// What a backup keeps of each change, and what it leaves alone.

#include "undo/backup.h"

#include <gtest/gtest.h>

#include "support/test_env.h"
#include "util/sha256.h"

namespace {

using testenv::ScratchDrive;

const std::string kScope = "C:\\QVD\\ROBOTER\\QVD";
const std::string kBackup = "C:\\QVD\\ROBOTER\\LOG\\Vantrel-backup-x";

class Backup : public ::testing::Test {
 protected:
  void SetUp() override {
    drive.Write(kScope + "\\R1\\old.src", "old bytes");
    drive.MakeFolder("C:\\QVD\\ROBOTER\\LOG");
    ASSERT_TRUE(backup.Start());
  }
  const ManifestEntry* Find(const std::string& path) const {
    for (const ManifestEntry& entry : backup.entries())
      if (entry.path == path) return &entry;
    return nullptr;
  }
  std::string Kept(const ManifestEntry& entry) const {
    return drive.Read(kBackup + "\\" + entry.kept);
  }

  ScratchDrive drive;
  RunBackup backup{kScope, kBackup};
};

TEST_F(Backup, KeepsAReplacedFileBeforeTheFirstChangeOnly) {
  {
    platform::ChangeWatchScope watching(backup);
    ASSERT_TRUE(platform::WriteFileAtomic(kScope + "\\R1\\old.src", "first"));
    ASSERT_TRUE(platform::WriteFileAtomic(kScope + "\\R1\\old.src", "second"));
  }
  ASSERT_EQ(backup.entries().size(), 1u);
  const ManifestEntry& entry = backup.entries()[0];
  EXPECT_EQ(entry.action, BackupAction::kChanged);
  EXPECT_EQ(entry.kept, "files\\000001");
  EXPECT_EQ(Kept(entry), "old bytes");
  ASSERT_TRUE(backup.Finish());
  EXPECT_EQ(backup.entries()[0].sizeAfter, 6u);
  EXPECT_EQ(backup.entries()[0].sha256After, util::Sha256Hex("second"));
}

TEST_F(Backup, KeepsAFileAnotherProgramChangesInPlaceAsACopy) {
  {
    platform::ChangeWatchScope watching(backup);
    platform::AnnounceChange(kScope + "\\R1\\old.src");
  }
  // Written in place, as another program may: the kept copy stays.
  drive.Write(kScope + "\\R1\\old.src", "changed in place");
  const ManifestEntry* entry = Find(kScope + "\\R1\\old.src");
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(Kept(*entry), "old bytes");
}

TEST_F(Backup, NotesCreatedFilesAndFoldersWithoutKeepingAnything) {
  {
    platform::ChangeWatchScope watching(backup);
    ASSERT_TRUE(platform::CreateFolder(kScope + "\\STEU"));
    ASSERT_TRUE(platform::WriteFileAtomic(kScope + "\\STEU\\new.dat", "new"));
    ASSERT_TRUE(platform::SetAttributes(kScope + "\\STEU\\new.dat", platform::kReadOnly));
  }
  ASSERT_EQ(backup.entries().size(), 2u);
  EXPECT_EQ(backup.entries()[0].action, BackupAction::kCreatedFolder);
  EXPECT_EQ(backup.entries()[1].action, BackupAction::kCreated);
  EXPECT_EQ(backup.entries()[1].attributesBefore, -1);
  EXPECT_TRUE(backup.entries()[1].kept.empty());
}

TEST_F(Backup, NotesAttributesOnlyWhenTheyChange) {
  testenv::SetAttributes(kScope + "\\R1\\old.src", platform::kArchive);
  {
    platform::ChangeWatchScope watching(backup);
    ASSERT_TRUE(platform::SetAttributes(kScope + "\\R1\\old.src", platform::kArchive));
    ASSERT_TRUE(platform::SetAttributes(kScope + "\\R1", platform::kHidden));
  }
  ASSERT_EQ(backup.entries().size(), 1u);
  const ManifestEntry& folder = backup.entries()[0];
  EXPECT_EQ(folder.path, kScope + "\\R1");
  EXPECT_EQ(folder.action, BackupAction::kAttributes);
  EXPECT_EQ(folder.attributesBefore & platform::kFolder, platform::kFolder);
  ASSERT_TRUE(platform::SetAttributes(kScope + "\\R1", 0));
}

TEST_F(Backup, KeepsTheBytesWhenAFileWhoseAttributesChangedIsReplaced) {
  testenv::SetAttributes(kScope + "\\R1\\old.src", platform::kReadOnly);
  {
    platform::ChangeWatchScope watching(backup);
    ASSERT_TRUE(platform::SetAttributes(kScope + "\\R1\\old.src", 0));
    ASSERT_TRUE(platform::WriteFileAtomic(kScope + "\\R1\\old.src", "new"));
  }
  ASSERT_EQ(backup.entries().size(), 1u);
  const ManifestEntry& entry = backup.entries()[0];
  EXPECT_EQ(entry.action, BackupAction::kChanged);
  EXPECT_EQ(entry.attributesBefore & platform::kReadOnly, platform::kReadOnly);
  EXPECT_EQ(Kept(entry), "old bytes");
}

TEST_F(Backup, LeavesChangesOutsideTheDestinationsParentAlone) {
  drive.Write("C:\\QVD\\ROBOTER\\Template\\Vorgabe.src", "template");
  drive.MakeFolder("C:\\PROG\\Vantrel");
  {
    platform::ChangeWatchScope watching(backup);
    ASSERT_TRUE(platform::WriteFileAtomic("C:\\QVD\\ROBOTER\\Template\\Vorgabe.src", "x"));
    ASSERT_TRUE(platform::WriteFileAtomic("C:\\QVD\\ROBOTER\\QVD2.txt", "x"));
    ASSERT_TRUE(platform::WriteFileAtomic("C:\\PROG\\Vantrel\\a.add", "x"));
  }
  EXPECT_TRUE(backup.entries().empty());
}

TEST_F(Backup, WritesTheManifestIntoItsFolder) {
  const int before = testenv::GetAttributes(kScope + "\\R1\\old.src");
  {
    platform::ChangeWatchScope watching(backup);
    ASSERT_TRUE(platform::RemoveFile(kScope + "\\R1\\old.src"));
  }
  ASSERT_TRUE(backup.Finish());
  EXPECT_EQ(drive.Read(kBackup + "\\manifest.txt"),
            "Vantrel backup manifest 1\n"
            "changed\t" + std::to_string(before) + "\t-\t-\tfiles\\000001\t" + kScope + "\\R1\\old.src\n");
}

TEST(BackupFolder, IsNamedByTheTimeBesideTheLogAndNeverReused) {
  ScratchDrive drive;
  drive.MakeFolder("C:\\QVD\\ROBOTER\\LOG");
  const std::string first = BackupFolderFor("C:\\QVD\\ROBOTER\\LOG\\Vantrel.log");
  EXPECT_EQ(first.rfind("C:\\QVD\\ROBOTER\\LOG\\Vantrel-backup-", 0), 0u) << first;
  EXPECT_EQ(first.size(), std::string("C:\\QVD\\ROBOTER\\LOG\\Vantrel-backup-").size() + 19);
  drive.MakeFolder(first);
  const std::string second = BackupFolderFor("C:\\QVD\\ROBOTER\\LOG\\Vantrel.log");
  EXPECT_NE(second, first);
  EXPECT_FALSE(platform::Exists(second)) << second;
}

}  // namespace
