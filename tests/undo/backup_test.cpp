// What a backup keeps of each change, and what it leaves alone.

#include "undo/backup.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <filesystem>

#include "support/test_env.h"
#include "util/sha256.h"

namespace {

namespace fs = std::filesystem;
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

// Written ahead: the entry and the kept bytes are there while the change
// is still to come, so that a run killed in it can be rolled back.
TEST_F(Backup, HoldsEachEntryAndItsKeptBytesBeforeTheChange) {
  const std::string folder = kBackup + "-2";
  RunBackup started(kScope, folder, "2026-12-09_07-30-00");
  ASSERT_TRUE(started.Start());
  const int before = testenv::GetAttributes(kScope + "\\R1\\old.src");
  {
    platform::ChangeWatchScope watching(started);
    ASSERT_TRUE(platform::AnnounceChange(kScope + "\\R1\\old.src"));
  }
  const std::string head = "Vantrel backup journal 2\nroot\t" + kScope +
                           "\nstart\t2026-12-09_07-30-00\nchanged\t" + std::to_string(before) +
                           "\tfiles\\000001\t" + util::Sha256Hex("old bytes") + "\t" + kScope +
                           "\\R1\\old.src\n";
  EXPECT_EQ(drive.Read(folder + "\\manifest.txt"), head);
  EXPECT_EQ(drive.Read(folder + "\\files\\000001"), "old bytes");
  ASSERT_TRUE(started.MakeDurable());
  ASSERT_TRUE(started.Finish());
  EXPECT_EQ(drive.Read(folder + "\\manifest.txt"),
            head + "after\t1\t9\t" + util::Sha256Hex("old bytes") + "\n" +
                JournalEndLine(1, head + "after\t1\t9\t" + util::Sha256Hex("old bytes") + "\n"));
  EXPECT_TRUE(started.Finish());  // once only
}

// Nothing is changed that cannot be undone: the file stays as it is, and
// the run is told why.
TEST_F(Backup, RefusesAChangeWhoseFileCannotBeKept) {
  std::vector<std::string> told;
  backup.set_tell_refusal(
      [&](const std::string& path, const std::string& why) { told.push_back(path + ": " + why); });
  fs::remove_all(drive.Host(kBackup + "\\files"));
  drive.Write(kBackup + "\\files", "a file in the way");
  platform::Status status;
  {
    platform::ChangeWatchScope watching(backup);
    status = platform::WriteFileAtomic(kScope + "\\R1\\old.src", "new");
    EXPECT_TRUE(platform::WriteFileAtomic(kScope + "\\R1\\created.src", "new"));
  }
  EXPECT_FALSE(status);
  EXPECT_EQ(status.reason.rfind("the backup cannot keep it: ", 0), 0u) << status.reason;
  EXPECT_EQ(drive.Read(kScope + "\\R1\\old.src"), "old bytes");
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0].rfind(kScope + "\\R1\\old.src: ", 0), 0u) << told[0];
  EXPECT_EQ(backup.refusedChanges(), 1u);
  ASSERT_EQ(backup.entries().size(), 1u);
  EXPECT_EQ(backup.entries()[0].action, BackupAction::kCreated);
}

TEST_F(Backup, WithoutItsFolderRefusesEveryChange) {
  RunBackup twice(kScope, kBackup);
  EXPECT_FALSE(twice.Start());
  platform::ChangeWatchScope watching(twice);
  EXPECT_FALSE(platform::WriteFileAtomic(kScope + "\\R1\\new.src", "new"));
  EXPECT_FALSE(platform::Exists(kScope + "\\R1\\new.src"));
  EXPECT_EQ(twice.refusedChanges(), 1u);
}

TEST_F(Backup, ACutOffRunIsFoundByTheNextOne) {
  const std::string log = "C:\\QVD\\ROBOTER\\LOG";
  {
    platform::ChangeWatchScope watching(backup);
    ASSERT_TRUE(platform::WriteFileAtomic(kScope + "\\R1\\old.src", "new"));
  }
  EXPECT_EQ(CutOffBackup(log), kBackup);
  ASSERT_TRUE(backup.Finish());
  EXPECT_EQ(CutOffBackup(log), std::nullopt);
  EXPECT_EQ(CutOffBackup("C:\\Nowhere"), std::nullopt);
}

#ifndef _WIN32
// A FIFO has no bytes to keep, and a second name for it would hang the
// rollback that reads it.
TEST_F(Backup, RefusesToKeepAFifo) {
  const std::string fifo = kScope + "\\R1\\pipe.src";
  ASSERT_EQ(mkfifo(drive.Host(fifo).c_str(), 0644), 0);
  platform::ChangeWatchScope watching(backup);
  const platform::Status status = platform::WriteFileAtomic(fifo, "new");
  EXPECT_EQ(status.reason, "the backup cannot keep it: not an ordinary file");
  EXPECT_TRUE(fs::is_fifo(drive.Host(fifo)));
  EXPECT_FALSE(platform::Exists(kBackup + "\\files\\000001"));
}
#endif

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

namespace {

// Told ahead, a batch of changes is kept and journalled with one wait for
// the disk, before the first of them is made; making them waits no more.
TEST_F(Backup, ChangesToldAheadAreOnTheDiskBeforeTheFirstIsMade) {
  using platform::Change;
  const std::string folder = kScope + "\\R2", created = folder + "\\new.src",
                    replaced = kScope + "\\R1\\old.src";
  platform::ChangeWatchScope watching(backup);
  std::size_t before = platform::SyncCount();
  platform::AnnounceChanges(
      {{folder, Change::kNewFolder}, {created, Change::kReplace}, {replaced, Change::kReplace}});
  EXPECT_EQ(platform::SyncCount() - before, 2u) << "the journal and the kept file's name";

  Journal journal;
  std::string fault;
  ASSERT_TRUE(ParseJournal(drive.Read(kBackup + "\\" + kManifestFileName), journal, fault))
      << fault;
  ASSERT_EQ(journal.entries.size(), 3u);
  EXPECT_EQ(journal.entries[0].action, BackupAction::kCreatedFolder);
  EXPECT_EQ(journal.entries[1].action, BackupAction::kCreated);
  EXPECT_EQ(journal.entries[2].action, BackupAction::kChanged);
  EXPECT_EQ(Kept(journal.entries[2]), "old bytes");

  {
    platform::DurableBatch batch;
    before = platform::SyncCount();
    ASSERT_TRUE(platform::CreateFolder(folder));
    ASSERT_TRUE(platform::WriteFileAtomic(created, "new"));
    ASSERT_TRUE(platform::WriteFileAtomic(replaced, "replaced"));
    EXPECT_EQ(platform::SyncCount() - before, 0u);
  }
  EXPECT_EQ(backup.entries().size(), 3u);
  EXPECT_EQ(backup.refusedChanges(), 0u);
}

}  // namespace
