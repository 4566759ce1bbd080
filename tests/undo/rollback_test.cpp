// Whole runs over the sample installations, then their rollback: the
// destination is afterwards byte- and attribute-identical to what it was
// before the run, however the run ended.

#include "undo/rollback.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>

#include "app/run_lock.h"
#include "log/log_library.h"
#include "platform/platform.h"
#include "support/test_env.h"
#include "support/tree_snapshot.h"
#include "undo/backup.h"
#include "undo/manifest.h"

namespace fs = std::filesystem;

std::ostream& operator<<(std::ostream& out, const RollbackReport& report) {
  return out << report.lines << report.messages;
}

namespace {

using testenv::BatchRun;
using testenv::ScratchDrive;
using testenv::TreeSnapshot;

const std::string kCommand = "C:\\QVD_OLDINST\\QVD\\R1|C:\\QVD\\ROBOTER\\QVD\\R1";
const std::string kProgram = "C:\\PROG";
const std::string kWeld = "C:\\QVD\\ROBOTER\\QVD\\R1\\Program\\Weld.src";

// The log library of the run, which ends the run at once (as an abort
// does) when a line beginning with trigger is written.
class AbortingLog : public LogLibrary {
 public:
  AbortingLog(LogLibrary& real, std::string trigger) : real_(real), trigger_(std::move(trigger)) {}
  std::string GetLumoLoadDir() override { return real_.GetLumoLoadDir(); }
  void LogCreate(const std::string& path, int32_t mode) override { real_.LogCreate(path, mode); }
  void SetErrorCounter(int32_t value) override { real_.SetErrorCounter(value); }
  void LogWrite(const std::string& line) override {
    real_.LogWrite(line);
    if (line.rfind(trigger_, 0) == 0) throw ProcessEnd{1};
  }
  int32_t GetErrorCounter() override { return real_.GetErrorCounter(); }
  void LogFlush() override { real_.LogFlush(); }

 private:
  LogLibrary& real_;
  std::string trigger_;
};

class Rollback : public ::testing::Test {
 protected:
  void SetUp() override {
    testenv::LaySamples(drive, kProgram);
    before = Destination();
  }
  // Everything below the destination's parent and the template root but
  // the log folder, which holds the log and the backup.
  TreeSnapshot Destination() const {
    TreeSnapshot tree = testenv::Snapshot(drive.Host("C:\\QVD\\ROBOTER"));
    for (auto it = tree.begin(); it != tree.end();)
      it = it->first.rfind("LOG", 0) == 0 ? tree.erase(it) : std::next(it);
    return tree;
  }
  std::string Run() {
    BatchRun run(kProgram);
    run.Run(kCommand);
    return run.context.Record.backupFolder;
  }
  Journal JournalOf(const std::string& backup) const {
    std::string text, fault;
    EXPECT_TRUE(platform::ReadFileBytes(backup + "\\" + kManifestFileName, text));
    Journal journal;
    EXPECT_TRUE(ParseJournal(text, journal, fault)) << fault;
    EXPECT_FALSE(journal.cutOff);
    return journal;
  }
  std::vector<ManifestEntry> Manifest(const std::string& backup) const {
    return JournalOf(backup).entries;
  }
  static int RollBack(const std::string& backup, bool force, RollbackReport& report,
                      int lockWaitSeconds = kLockWaitSeconds) {
    return ::RollBack(backup, force, report, RollbackLock(lockWaitSeconds));
  }
  void ExpectAsBefore() const { EXPECT_EQ(testenv::FirstDifference(before, Destination()), ""); }

  ScratchDrive drive;
  TreeSnapshot before;
};

TEST_F(Rollback, PutsTheUpgradedSamplesBackAsTheyWere) {
  const std::string backup = Run();
  ASSERT_FALSE(backup.empty());
  EXPECT_EQ(backup.rfind("C:\\QVD\\ROBOTER\\LOG\\Vantrel-backup-", 0), 0u) << backup;
  ASSERT_NE(testenv::FirstDifference(before, Destination()), "");
  RollbackReport report;
  EXPECT_EQ(RollBack(backup, false, report), 0) << report;
  ExpectAsBefore();
}

// The second run replaces the files the first one made: they are kept by
// a second name, and the rollback gives back the first run's result.
TEST_F(Rollback, ASecondRunIsRolledBackToWhatTheFirstLeft) {
  Run();
  // Read-only files of the first run are replaced too.
  ASSERT_TRUE(platform::SetAttributes(kWeld, platform::kReadOnly));
  const TreeSnapshot first = Destination();
  const std::string backup = Run();
  std::size_t kept = 0;
  for (const ManifestEntry& entry : Manifest(backup))
    if (entry.path == kWeld) {
      EXPECT_EQ(entry.action, BackupAction::kChanged);
      EXPECT_EQ(entry.attributesBefore & platform::kReadOnly, platform::kReadOnly);
      ++kept;
    }
  EXPECT_EQ(kept, 1u);
  RollbackReport report;
  EXPECT_EQ(RollBack(backup, false, report), 0) << report;
  EXPECT_EQ(testenv::FirstDifference(first, Destination()), "");
}

TEST_F(Rollback, TheManifestNamesWhatTheRunDid) {
  const std::string backup = Run();
  const std::vector<ManifestEntry> entries = Manifest(backup);
  auto find = [&](const std::string& path) -> const ManifestEntry* {
    for (const ManifestEntry& entry : entries)
      if (entry.path == path) return &entry;
    return nullptr;
  };
  // A system file changed by the exchange program: its bytes are kept.
  const ManifestEntry* config = find("C:\\QVD\\ROBOTER\\QVD\\R1\\System\\$CONFIG.DAT");
  ASSERT_NE(config, nullptr);
  EXPECT_EQ(config->action, BackupAction::kChanged);
  ASSERT_FALSE(config->kept.empty());
  std::string kept, now;
  ASSERT_TRUE(platform::ReadFileBytes(backup + "\\" + config->kept, kept));
  const std::string relative = fs::path("QVD/R1/System/$CONFIG.DAT").make_preferred().string();
  ASSERT_EQ(before.count(relative), 1u);
  EXPECT_EQ(kept, before.at(relative).bytes);
  ASSERT_TRUE(platform::ReadFileBytes(config->path, now));
  EXPECT_TRUE(config->presentAfter);
  EXPECT_EQ(config->sizeAfter, now.size());
  // A user file the run made, and a folder.
  const ManifestEntry* weld = find(kWeld);
  ASSERT_NE(weld, nullptr);
  EXPECT_EQ(weld->action, BackupAction::kCreated);
  EXPECT_TRUE(weld->kept.empty());
  const ManifestEntry* steu = find("C:\\QVD\\ROBOTER\\QVD\\STEU");
  ASSERT_NE(steu, nullptr);
  EXPECT_EQ(steu->action, BackupAction::kCreatedFolder);
  // Nothing outside the destination's parent: not the log, not the
  // control folder.
  for (const ManifestEntry& entry : entries)
    EXPECT_EQ(entry.path.rfind("C:\\QVD\\ROBOTER\\QVD\\", 0), 0u) << entry.path;
}

TEST_F(Rollback, AFileEditedSinceTheRunIsRefusedAndThenForced) {
  const std::string backup = Run();
  drive.Write(kWeld, "edited by hand\r\n");
  RollbackReport report;
  EXPECT_EQ(RollBack(backup, false, report), 1);
  EXPECT_NE(report.lines.find("Changed since the run, left as it is: " + platform::HostPath(kWeld) +
                              "\n"),
            std::string::npos)
      << report;
  EXPECT_EQ(report.messages,
            "vantrel: 1 entry changed and 0 entries gone since the run were left as they are; "
            "--force puts them back all the same\n");
  EXPECT_EQ(drive.Read(kWeld), "edited by hand\r\n");
  EXPECT_EQ(RollBack(backup, true, report), 0) << report;
  ExpectAsBefore();
}

TEST_F(Rollback, CanBeRepeatedAfterAnInterruption) {
  const std::string backup = Run();
  // An interrupted rollback put back the later half of the entries (it
  // works from the last entry to the first).
  const Journal journal = JournalOf(backup);
  const std::vector<ManifestEntry>& entries = journal.entries;
  const std::string partial = "C:\\QVD\\ROBOTER\\LOG\\partial";
  testenv::CopyTree(drive.Host(backup), drive.Host(partial));
  std::vector<ManifestEntry> later(entries.begin() + entries.size() / 2, entries.end());
  ASSERT_TRUE(platform::WriteFileAtomic(partial + "\\" + kManifestFileName,
                                        JournalText(journal.header, later)));
  RollbackReport report;
  EXPECT_EQ(RollBack(partial, false, report), 0) << report;
  EXPECT_EQ(RollBack(backup, false, report), 0) << report;
  ExpectAsBefore();
  EXPECT_EQ(RollBack(backup, false, report), 0) << report;
  EXPECT_EQ(report.lines, "Rolled back: 0 put back, 0 left as they are, 0 failed\n");
  EXPECT_EQ(report.messages, "");
  ExpectAsBefore();
}

TEST_F(Rollback, AfterARunAbortedAtEachStage) {
  const std::vector<std::string> triggers = {
      ". - - - START CONVERTING SYSTEMFILES",
      ". +++ End: Exchange the UserFolds in  Dest.-file: "
      "C:\\QVD\\ROBOTER\\QVD\\R1\\System\\$CONFIG.DAT",
      ". Generate the Upg-file",
      ". - - - END CONVERTING SYSTEMFILES",
      ". - - - START CONVERTING USER FILES",
      ". +++ End: Exchange the Folds in Dest.file: "
      "C:\\QVD\\ROBOTER\\QVD\\R1\\Program\\Pallet\\Pick.src",
      ". - - - START COPYING FILES",
      ". - - - END COPYING FILES",
  };
  for (const std::string& trigger : triggers) {
    SCOPED_TRACE(trigger);
    ScratchDrive fresh;
    testenv::LaySamples(fresh, kProgram);
    BatchRun run(kProgram);
    AbortingLog aborting(run.lumo, trigger);
    run.context.Lumo = &aborting;
    EXPECT_EQ(run.Run(kCommand), 1);
    const std::string backup = run.context.Record.backupFolder;
    ASSERT_FALSE(backup.empty());
    RollbackReport report;
    EXPECT_EQ(RollBack(backup, false, report), 0) << report;
    TreeSnapshot tree = testenv::Snapshot(fresh.Host("C:\\QVD\\ROBOTER"));
    for (auto it = tree.begin(); it != tree.end();)
      it = it->first.rfind("LOG", 0) == 0 ? tree.erase(it) : std::next(it);
    EXPECT_EQ(testenv::FirstDifference(before, tree), "");
  }
}

TEST_F(Rollback, ARunThatFailsItsStartChecksMakesNoBackup) {
  fs::remove_all(drive.Host("C:\\QVD\\ROBOTER\\Template"));
  BatchRun run(kProgram);
  EXPECT_EQ(run.Run(kCommand), 1);
  EXPECT_EQ(run.context.Record.backupFolder, "");
  for (const auto& entry : fs::directory_iterator(drive.Host("C:\\QVD\\ROBOTER\\LOG")))
    EXPECT_EQ(entry.path().filename().string().rfind("Vantrel-backup-", 0), std::string::npos);
}

TEST_F(Rollback, NoBackupKeepsNothingAndLogsTheSame) {
  BatchRun with(kProgram);
  with.Run(kCommand);
  std::vector<std::string> logWith = testenv::MaskedLog(
      testenv::ReadLogLines(drive.Host("C:\\QVD\\ROBOTER\\LOG\\Vantrel.log")), kProgram);

  ScratchDrive other;
  testenv::LaySamples(other, kProgram);
  BatchRun without(kProgram);
  without.context.KeepBackup = false;
  without.Run(kCommand);
  EXPECT_EQ(without.context.Record.backupFolder, "");
  for (const auto& entry : fs::directory_iterator(other.Host("C:\\QVD\\ROBOTER\\LOG")))
    EXPECT_EQ(entry.path().filename().string().rfind("Vantrel-backup-", 0), std::string::npos)
        << entry.path();
  EXPECT_EQ(testenv::MaskedLog(
                testenv::ReadLogLines(other.Host("C:\\QVD\\ROBOTER\\LOG\\Vantrel.log")), kProgram),
            logWith);
}

TEST_F(Rollback, TheBackupOfARunWhoseExchangeProgramWasKilled) {
  testenv::InstallFakeFoldex(drive, kProgram);
  testenv::SetFoldexBehaviour(drive, kProgram, "exchange\ndie-within 6\n");
  const std::string backup = Run();
  ASSERT_FALSE(backup.empty());
  // Every system file was kept before the program started on it.
  for (const char* name : {"$CONFIG.DAT", "SPS.SUB", "IR_STOPM.SRC"}) {
    const std::string path = std::string("C:\\QVD\\ROBOTER\\QVD\\R1\\System\\") + name;
    bool kept = false;
    for (const ManifestEntry& entry : Manifest(backup))
      if (entry.path == path) kept = entry.action == BackupAction::kChanged && !entry.kept.empty();
    EXPECT_TRUE(kept) << path;
  }
  RollbackReport report;
  EXPECT_EQ(RollBack(backup, false, report), 0) << report;
  ExpectAsBefore();
}

// The backup lies in the log folder of its run, whose lock a run into the
// same destination holds.
TEST_F(Rollback, WaitsForTheLockOfTheLogFolderAndWithoutItPutsNothingBack) {
  const std::string backup = Run();
  const TreeSnapshot upgraded = Destination();
  const std::string lockPath = "C:\\QVD\\ROBOTER\\LOG\\Vantrel.lock";
  RollbackReport report{"stale", "stale"};
  {
    platform::FileLock run;
    bool acquired = false;
    ASSERT_TRUE(run.TryAcquire(lockPath, acquired).ok && acquired);
    testing::internal::CaptureStderr();
    EXPECT_EQ(RollBack(backup, false, report, 0), 1);
    const std::string host = drive.Host(lockPath);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "vantrel: another run is using " + host +
                  "; waiting up to 0 seconds\n"
                  "vantrel: Another run is still using " +
                  host + " after 0 seconds; nothing was rolled back.\n");
    EXPECT_EQ(report.lines + report.messages, "");
    EXPECT_EQ(testenv::FirstDifference(upgraded, Destination()), "");
  }
  EXPECT_EQ(RollBack(backup, false, report), 0) << report;
  ExpectAsBefore();
}

TEST_F(Rollback, AFolderWithoutJournalIsRefused) {
  drive.MakeFolder("C:\\Nothing");
  RollbackReport report;
  EXPECT_EQ(RollBack("C:\\Nothing", false, report), 1);
  EXPECT_EQ(report.messages.rfind(
                "vantrel: No journal: " + drive.Host("C:\\Nothing\\manifest.txt") + " (", 0),
            0u)
      << report;
  EXPECT_EQ(RollBack("C:\\Nowhere", false, report), 1);
  EXPECT_EQ(report.messages, "vantrel: No backup folder: " + drive.Host("C:\\Nowhere") + "\n");
}

// The key in a snapshot of C:\QVD\ROBOTER of a path below it.
std::string KeyOf(const std::string& path) {
  std::string relative = path.substr(std::string("C:\\QVD\\ROBOTER\\").size());
  for (char& c : relative)
    if (c == '\\') c = '/';
  return testenv::SnapshotKey(relative);
}

// A run killed at any byte of its journal: never exit 0, and every entry
// the journal holds whole is put back. The cuts come in growing order, so
// that each rollback starts where the one before left the destination.
TEST_F(Rollback, OfAJournalCutAtAnyLineRestoresEveryCompleteEntry) {
  const std::string backup = Run();
  const std::string journal = backup + "\\" + kManifestFileName;
  const std::string whole = drive.Read(journal);
  const std::vector<ManifestEntry> entries = Manifest(backup);
  std::vector<std::size_t> cuts;
  for (std::size_t end = whole.find('\n'); end != std::string::npos;
       end = whole.find('\n', end + 1)) {
    if (end > 5) cuts.push_back(end - 5);
    if (end + 1 < whole.size()) cuts.push_back(end + 1);
  }
  for (std::size_t cut : cuts) {
    SCOPED_TRACE(cut);
    drive.Write(journal, whole.substr(0, cut));
    RollbackReport report;
    ASSERT_EQ(RollBack(backup, false, report), 1) << report;
    Journal read;
    std::string fault;
    if (JournalHeadCutShort(whole.substr(0, cut))) {
      EXPECT_EQ(report.messages.rfind("vantrel: The run that made this backup was cut off while "
                                      "it wrote its journal's head, before its first change\n",
                                      0),
                0u)
          << report;
      continue;
    }
    if (!ParseJournal(whole.substr(0, cut), read, fault)) {
      EXPECT_NE(report.messages.find("is refused, nothing was changed"), std::string::npos);
      continue;
    }
    EXPECT_EQ(report.messages.rfind("vantrel: The run that made this backup was cut off", 0), 0u)
        << report;
    const TreeSnapshot now = Destination();
    for (const ManifestEntry& entry : read.entries) {
      if (entry.action == BackupAction::kCreatedFolder) continue;
      const std::string key = KeyOf(entry.path);
      ASSERT_EQ(now.count(key), before.count(key)) << entry.path;
      if (before.count(key)) {
        EXPECT_TRUE(now.at(key) == before.at(key)) << entry.path;
      }
    }
    if (read.entries.size() == entries.size()) ExpectAsBefore();
  }
}

TEST_F(Rollback, TheNextRunSaysThatThePreviousOneWasCutOff) {
  const std::string backup = Run();
  const std::string journal = backup + "\\" + kManifestFileName;
  const std::string whole = drive.Read(journal);
  drive.Write(journal, whole.substr(0, whole.find("after\t")));
  testing::internal::CaptureStderr();
  BatchRun run(kProgram);
  run.Run(kCommand);
  const std::string line =
      "The previous run into this log folder was cut off; it can be rolled back with: "
      "vantrel --rollback " +
      drive.Host(backup);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("vantrel: " + line + "\n"),
            std::string::npos);
  const std::vector<std::string> log =
      testenv::ReadLogLines(drive.Host("C:\\QVD\\ROBOTER\\LOG\\Vantrel.log"));
  EXPECT_NE(std::find(log.begin(), log.end(), "!" + line), log.end());
}

}  // namespace

namespace {

// Once a rollback has put a cut-off run's changes back, the next run no
// longer offers that rollback; one that could not put all back still does.
TEST_F(Rollback, ACutOffRunRolledBackIsOfferedNoMore) {
  const std::string logFolder = "C:\\QVD\\ROBOTER\\LOG";
  for (const bool completely : {false, true}) {
    const std::string backup = Run();
    const std::string journal = backup + "\\" + kManifestFileName;
    const std::string whole = drive.Read(journal);
    drive.Write(journal, whole.substr(0, whole.find("after\t")));
    ASSERT_EQ(CutOffBackup(logFolder), backup);
    if (!completely) drive.Write(backup + "\\files\\000001", "not as kept");
    RollbackReport report;
    EXPECT_EQ(RollBack(backup, false, report), 1) << report;
    EXPECT_EQ(CutOffBackup(logFolder), completely ? std::nullopt : std::optional(backup)) << report;
  }
}

}  // namespace
