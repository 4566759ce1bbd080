// Starting the run's log: the library answers nothing, so whether the log
// is written is read from the file it left.

#include <gtest/gtest.h>

#include <fstream>
#include <optional>

#include "core/context.h"
#include "log/log.h"
#include "log/log_library.h"
#include "platform/platform.h"
#include "support/test_env.h"
#include "support/tree_snapshot.h"

namespace {

const std::string kLog = "C:\\QVD\\ROBOTER\\LOG\\Vantrel.log";
const std::string kEarlier = "LOG OF AN EARLIER RUN\r\n";

// A library that takes every call and writes nothing: a controller's own
// library that cannot write the file behaves so.
class DeafLog : public LogLibrary {
 public:
  std::string GetLumoLoadDir() override { return "deaf"; }
  void LogCreate(const std::string&, int32_t) override {}
  void SetErrorCounter(int32_t) override {}
  void LogWrite(const std::string&) override {}
  int32_t GetErrorCounter() override { return 0; }
};

// Creates the file empty and writes no line into it.
class MuteLog : public DeafLog {
 public:
  void LogCreate(const std::string& hostPath, int32_t) override {
    std::ofstream(hostPath, std::ios::binary | std::ios::trunc);
  }
};

enum class Library { kOurs, kDeaf, kMute };

struct InitLogCase {
  const char* what;
  std::optional<std::string> earlier;  // the log of an earlier run
  bool folderAtPlace;
  Library library;
  std::string reason;  // empty: the log is written
};

const InitLogCase kCases[] = {
    {"our library over an earlier log", kEarlier, false, Library::kOurs, ""},
    {"our library, no earlier log", std::nullopt, false, Library::kOurs, ""},
    {"a library that leaves the earlier log", kEarlier, false, Library::kDeaf,
     "the log library left the earlier log as it was"},
    {"a library that creates nothing", std::nullopt, false, Library::kDeaf,
     "the log library did not create it"},
    {"a library that writes nothing", std::nullopt, false, Library::kMute,
     "the log library wrote nothing into it"},
    {"a folder at the log's place", std::nullopt, true, Library::kOurs,
     "something other than a file stands at its place"},
};

TEST(InitLog, ALogTheLibraryDidNotReallyStartIsRefusedWithTheReason) {
  for (const InitLogCase& c : kCases) {
    SCOPED_TRACE(c.what);
    testenv::ScratchDrive drive;
    drive.MakeFolder("C:\\QVD\\ROBOTER\\LOG");
    if (c.earlier) drive.Write(kLog, *c.earlier);
    if (c.folderAtPlace) drive.Write(kLog + "\\inside.txt", "x");
    testenv::BatchRun run("C:\\PROG");
    run.context.BatchMode = true;
    DeafLog deaf;
    MuteLog mute;
    if (c.library == Library::kDeaf) run.context.Lumo = &deaf;
    if (c.library == Library::kMute) run.context.Lumo = &mute;
    platform::Status status = InitLog(run.context);
    EXPECT_EQ(status.ok, c.reason.empty());
    EXPECT_EQ(status.reason, c.reason);
    EXPECT_EQ(run.context.LogFilePath, kLog);
    // The earlier log is kept either way: left in place, or moved aside.
    if (c.earlier) {
      EXPECT_EQ(drive.Read(c.library == Library::kOurs ? kLog + ".bak" : kLog), *c.earlier);
    }
  }
}

// Whatever library stands in the program folder: without its log the run
// changes nothing, starts no exchange program and keeps no backup.
TEST(InitLog, ARunWhoseLogIsNotWrittenStopsBeforeItsFirstChange) {
  testenv::ScratchDrive drive;
  testenv::LaySamples(drive, testenv::kProgramFolder);
  testenv::InstallFakeFoldex(drive, testenv::kProgramFolder);
  drive.Write(kLog, kEarlier);
  const testenv::TreeSnapshot before = testenv::Snapshot(drive.Host("C:\\QVD"));
  const testenv::TreeSnapshot old = testenv::Snapshot(drive.Host("C:\\QVD_OLDINST"));
  testenv::BatchRun run(testenv::kProgramFolder);
  DeafLog deaf;
  run.context.Lumo = &deaf;
  EXPECT_EQ(run.Run(testenv::kRunCommand), 1);
  // The lock file is the one thing the run may have made.
  testenv::TreeSnapshot after = testenv::Snapshot(drive.Host("C:\\QVD"));
  after.erase(testenv::SnapshotKey("ROBOTER/LOG/Vantrel.lock"));
  EXPECT_EQ(testenv::FirstDifference(before, after), "");
  EXPECT_EQ(testenv::FirstDifference(old, testenv::Snapshot(drive.Host("C:\\QVD_OLDINST"))), "");
  EXPECT_TRUE(testenv::RecordedFoldexCalls(drive, testenv::kProgramFolder).empty());
  EXPECT_FALSE(run.context.Record.logOpened);
  EXPECT_TRUE(run.context.Record.backupFolder.empty());
}

}  // namespace
