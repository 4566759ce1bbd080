// What a host can put where the backup and the rollback look: FIFOs, links
// to devices, links on the way, a log folder that takes no new entry.
// Nothing hangs or aborts; nothing is restored from or through them.

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "app/run_lock.h"
#include "platform/platform.h"
#include "support/test_env.h"
#include "support/tree_snapshot.h"
#include "undo/manifest.h"
#include "undo/rollback.h"

namespace fs = std::filesystem;

namespace {

using testenv::BatchRun;
using testenv::ScratchDrive;
using testenv::TreeSnapshot;

const std::string kCommand = "C:\\QVD_OLDINST\\QVD\\R1|C:\\QVD\\ROBOTER\\QVD\\R1";
const std::string kProgram = "C:\\PROG";
const std::string kConfig = "C:\\QVD\\ROBOTER\\QVD\\R1\\System\\$CONFIG.DAT";
const std::string kLog = "C:\\QVD\\ROBOTER\\LOG";

class PosixRollback : public ::testing::Test {
 protected:
  void SetUp() override { testenv::LaySamples(drive, kProgram); }
  std::string Run() {
    BatchRun run(kProgram);
    exitCode = run.Run(kCommand);
    log = testenv::ReadLogLines(drive.Host(kLog + "\\Vantrel.log"));
    return run.context.Record.backupFolder;
  }
  ManifestEntry EntryOf(const std::string& backup, const std::string& path) const {
    Journal journal;
    std::string fault;
    EXPECT_TRUE(ParseJournal(drive.Read(backup + "\\" + kManifestFileName), journal, fault));
    for (const ManifestEntry& entry : journal.entries)
      if (entry.path == path) return entry;
    ADD_FAILURE() << path;
    return {};
  }
  int RollBack(const std::string& backup, bool force = false) {
    return ::RollBack(backup, force, report, RollbackLock());
  }
  bool Logged(const std::string& line) const {
    return std::find(log.begin(), log.end(), line) != log.end();
  }
  bool Listed(const std::string& what, const std::string& path) const {
    return report.lines.find(what + ": " + drive.Host(path) + "\n") != std::string::npos;
  }

  ScratchDrive drive;
  int exitCode = -1;
  std::vector<std::string> log;
  RollbackReport report;
};

TEST_F(PosixRollback, NeverReadsAKeptFileThatIsNoLongerAnOrdinaryOne) {
  const std::string backup = Run();
  const std::string kept = drive.Host(backup + "\\" + EntryOf(backup, kConfig).kept);
  for (const char* kind : {"fifo", "device"}) {
    SCOPED_TRACE(kind);
    fs::remove(kept);
    if (std::string(kind) == "fifo")
      ASSERT_EQ(mkfifo(kept.c_str(), 0644), 0);
    else
      fs::create_symlink("/dev/zero", kept);
    EXPECT_EQ(RollBack(backup), 1);
    EXPECT_TRUE(Listed("Kept bytes not as they were kept, not restored", kConfig)) << report.lines;
    EXPECT_NE(report.messages.find("1 kept files are not as the run kept them"),
              std::string::npos)
        << report.messages;
  }
}

TEST_F(PosixRollback, TellsChangedKeptBytesAndLeavesTheFile) {
  const std::string backup = Run();
  const std::string now = drive.Read(kConfig);
  drive.Write(backup + "\\" + EntryOf(backup, kConfig).kept, "forged bytes");
  EXPECT_EQ(RollBack(backup, true), 1);
  EXPECT_TRUE(Listed("Kept bytes not as they were kept, not restored", kConfig)) << report.lines;
  EXPECT_EQ(drive.Read(kConfig), now);
}

TEST_F(PosixRollback, ADestinationFileReplacedByAFifoIsChangedSinceTheRun) {
  const std::string before = drive.Read(kConfig);
  const std::string backup = Run();
  fs::remove(drive.Host(kConfig));
  ASSERT_EQ(mkfifo(drive.Host(kConfig).c_str(), 0644), 0);
  EXPECT_EQ(RollBack(backup), 1);
  EXPECT_TRUE(Listed("Changed since the run, left as it is", kConfig)) << report.lines;
  EXPECT_NE(report.messages.find("--force puts them back"), std::string::npos);
  EXPECT_EQ(RollBack(backup, true), 0) << report.lines << report.messages;
  EXPECT_EQ(drive.Read(kConfig), before);
}

TEST_F(PosixRollback, AFileGoneSinceTheRunIsToldApart) {
  const std::string backup = Run();
  fs::remove(drive.Host(kConfig));
  EXPECT_EQ(RollBack(backup), 1);
  EXPECT_TRUE(Listed("Gone since the run, left as it is", kConfig)) << report.lines;
  EXPECT_NE(report.messages.find("0 entries changed and 1 entry gone since the run"),
            std::string::npos)
      << report.messages;
}

TEST_F(PosixRollback, ALinkOnTheWaySinceTheRunRefusesTheJournal) {
  const std::string backup = Run();
  const std::string system = drive.Host("C:\\QVD\\ROBOTER\\QVD\\R1\\System");
  fs::rename(system, drive.Host("C:\\elsewhere"));
  fs::create_symlink(drive.Host("C:\\elsewhere"), system);
  EXPECT_EQ(RollBack(backup), 1);
  EXPECT_NE(report.messages.find("is refused, nothing was changed: a symbolic link on the way: " +
                                 system + "\n"),
            std::string::npos)
      << report.messages;
  EXPECT_EQ(report.lines, "");
}

// A run killed between naming a temporary file and renaming it over its
// target leaves it behind (pid 4000000 runs nowhere); the rollback puts the
// tree back without it, also in a folder the run made, which then goes too.
// A temporary file whose writer still runs is not the rollback's to remove.
TEST_F(PosixRollback, TemporaryFilesOfAKilledRunGoWithIt) {
  const TreeSnapshot before = testenv::Snapshot(drive.Host("C:\\QVD\\ROBOTER\\QVD"));
  const std::string backup = Run();
  const std::string running = "C:\\QVD\\ROBOTER\\QVD\\R1\\.vantrel-tmp-" +
                              std::to_string(platform::CurrentProcessId()) + "-0";
  for (const char* folder : {"System", "Program\\Pallet\\Deep"})
    drive.Write("C:\\QVD\\ROBOTER\\QVD\\R1\\" + std::string(folder) + "\\.vantrel-tmp-4000000-0",
                "a replacement never renamed");
  drive.Write(running, "being written");
  EXPECT_EQ(RollBack(backup), 0) << report.lines << report.messages;
  EXPECT_TRUE(drive.Exists(running));
  fs::remove(drive.Host(running));
  EXPECT_EQ(
      testenv::FirstDifference(before, testenv::Snapshot(drive.Host("C:\\QVD\\ROBOTER\\QVD"))), "");
}

TEST_F(PosixRollback, AFifoAtAUserFilesPlaceIsNeitherKeptNorReplaced) {
  drive.Write("C:\\QVD_OLDINST\\QVD\\R1\\Program\\Welcome.src", "DEF Welcome ( )\r\nEND\r\n");
  const std::string fifo = "C:\\QVD\\ROBOTER\\QVD\\R1\\Program\\Welcome.src";
  fs::remove(drive.Host(fifo));
  ASSERT_EQ(mkfifo(drive.Host(fifo).c_str(), 0644), 0);
  const std::string backup = Run();
  EXPECT_EQ(exitCode, 1);
  EXPECT_TRUE(fs::is_fifo(drive.Host(fifo)));
  for (const auto& entry : fs::recursive_directory_iterator(drive.Host(backup)))
    EXPECT_FALSE(entry.is_fifo()) << entry.path();
  EXPECT_EQ(RollBack(backup), 0) << report.lines << report.messages;
}

// A log folder that takes no new entry once the log is open (an immutable
// folder, as only a privileged user can make it): the run stops before its
// first change.
TEST_F(PosixRollback, ABackupFolderThatCannotBeMadeStopsTheRunBeforeItsFirstChange) {
  const std::string logFolder = drive.Host(kLog);
  const std::string lock = drive.Host(kLog + "\\Vantrel.lock");
  drive.Write(kLog + "\\Vantrel.lock", "");
  drive.Write(kLog + "\\Vantrel.log", "");
  drive.Write(kLog + "\\Vantrel.log.bak", "");
  if (std::system(("chattr +i '" + logFolder + "' 2>/dev/null").c_str()) != 0)
    GTEST_SKIP() << "no immutable folders here";
  const TreeSnapshot before = testenv::Snapshot(drive.Host("C:\\QVD\\ROBOTER\\QVD"));
  const std::string backup = Run();
  std::system(("chattr -i '" + logFolder + "'").c_str());
  EXPECT_EQ(exitCode, 1);
  EXPECT_EQ(backup, "");
  const bool logged = std::any_of(log.begin(), log.end(), [](const std::string& line) {
    return line.rfind("# The backup folder " + kLog + "\\Vantrel-backup-", 0) == 0 &&
           line.find("cannot be made (") != std::string::npos &&
           line.find("); nothing was upgraded") != std::string::npos;
  });
  EXPECT_TRUE(logged);
  EXPECT_EQ(testenv::FirstDifference(before, testenv::Snapshot(drive.Host("C:\\QVD\\ROBOTER\\QVD"))),
            "");
}

}  // namespace
