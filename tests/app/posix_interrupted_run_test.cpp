// The built program interrupted from outside as a person, a service manager
// or the machine does it: Ctrl-C (SIGINT to its process group, the exchange
// program included), SIGTERM, SIGHUP, and SIGKILL, which stands for a power
// cut, each at chosen moments of a run over the samples. After every
// interruption the old installation is unchanged, every file of the new one
// is whole, a caught signal ends the run with exit code 1, its stop line,
// its journal ended and its locks free, and the rollback puts the new
// installation back as it was, bytes and attributes. After SIGKILL the next
// run names the backup that was cut off.
//
// SlowInterruptions does the same at random moments over a large
// installation (VANTREL_INTERRUPT_SEED picks another sequence).

#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <random>
#include <thread>

#include "platform/paths.h"
#include "platform/platform.h"
#include "support/posix/program_process.h"
#include "support/test_env.h"
#include "support/whole_run.h"
#include "support/tree_snapshot.h"
#include "undo/manifest.h"

namespace fs = std::filesystem;

namespace {

using namespace testenv::whole_run;
using testenv::ProgramProcess;

const std::string kRoot = "C:\\QVD\\ROBOTER";
const std::string kLogFolder = kRoot + "\\LOG";
const std::string kControlFolder = kProgramFolder + "\\Vantrel";

struct Stop {
  const char* name;
  int signal;
  bool toGroup;       // as a terminal's Ctrl-C: the exchange program gets it too
  const char* cause;  // as the log names it; nullptr: it cannot be caught
};

const Stop kCtrlC{"CtrlC", SIGINT, true, "SIGINT"};
const Stop kTerminate{"Terminate", SIGTERM, false, "SIGTERM"};
const Stop kHangUp{"HangUp", SIGHUP, false, "SIGHUP"};
const Stop kKill{"Kill", SIGKILL, false, nullptr};

enum class Moment {
  kAtStart,                 // its stop requests are set up, nothing more
  kWhileWaitingForTheLock,  // another run holds the log folder
  kSystemFileExchange,      // the first exchange into the new installation
  kUserFileExchange,        // the first exchange of a user file
  kLastExchange,
  kHalfwayThroughTheRun,  // by the time a whole run takes: wherever that falls
};

const char* MomentName(Moment moment) {
  switch (moment) {
    case Moment::kAtStart:
      return "AtStart";
    case Moment::kWhileWaitingForTheLock:
      return "WhileWaitingForTheLock";
    case Moment::kSystemFileExchange:
      return "DuringASystemFileExchange";
    case Moment::kUserFileExchange:
      return "DuringAUserFileExchange";
    case Moment::kLastExchange:
      return "DuringTheLastExchange";
    case Moment::kHalfwayThroughTheRun:
      return "HalfwayThroughTheRun";
  }
  return "";
}

void PrintTo(const Stop& stop, std::ostream* out) { *out << stop.name; }
void PrintTo(Moment moment, std::ostream* out) { *out << MomentName(moment); }

std::string Joined(const Lines& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

bool Holds(const Lines& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// What a complete run over an installation leaves.
struct CompleteRun {
  testenv::WholeStates states;
  Lines calls;  // of the stand-in exchange program
  std::chrono::milliseconds took{};
};

std::string Program(const ScratchDrive& drive) { return drive.Host(kProgramFolder + "\\vantrel"); }

std::string Stem(const ScratchDrive& drive, const std::string& name) {
  return drive.Host("C:\\" + name);
}

CompleteRun RunCompletely(const ScratchDrive& drive) {
  CompleteRun complete;
  complete.states.before = testenv::WithoutLog(testenv::Snapshot(drive.Host(kRoot)));
  complete.states.source = testenv::Snapshot(drive.Host(kOldInstallation));
  const auto start = std::chrono::steady_clock::now();
  ProgramProcess run(Program(drive), {kRunCommand}, Stem(drive, "complete"));
  const int status = run.Wait();
  complete.took = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - start);
  EXPECT_EQ(testenv::ExitCodeOf(status), 0) << run.Errors();
  complete.states.after = testenv::WithoutLog(testenv::Snapshot(drive.Host(kRoot)));
  complete.calls = testenv::RecordedFoldexCalls(drive, kProgramFolder);
  return complete;
}

// The samples without their two programs whose folds do not pair up, so
// that a complete run ends with exit code 0; the stand-in exchange program
// does the real program's work and can hold a call.
void LaySamplesForInterruption(const ScratchDrive& drive) {
  testenv::LaySamples(drive, kProgramFolder);
  fs::remove(drive.Host(kOldInstallation + "\\Program\\Broken_Open.src"));
  fs::remove(drive.Host(kOldInstallation + "\\Program\\Broken_Close.src"));
  testenv::InstallFakeFoldex(drive, kProgramFolder);
}

// The number (from 1) of the first call whose argument begins with prefix.
int FirstCallInto(const Lines& calls, const std::string& prefix) {
  for (std::size_t i = 0; i < calls.size(); ++i)
    if (calls[i].rfind(prefix, 0) == 0) return static_cast<int>(i + 1);
  return 0;
}

std::optional<std::string> NewestBackup(const ScratchDrive& drive) {
  std::string newest;
  for (const auto& entry : fs::directory_iterator(drive.Host(kLogFolder)))
    if (entry.path().filename().string().rfind("Vantrel-backup-", 0) == 0 &&
        entry.path().string() > newest)
      newest = entry.path().string();
  if (newest.empty()) return std::nullopt;
  return newest;
}

bool LockIsFree(const std::string& path) {
  platform::FileLock lock;
  bool acquired = false;
  return lock.TryAcquire(path, acquired).ok && acquired;
}

// Whatever the exchange steps left in the control folder: the saved folds
// and temporary files.
Lines LeftInControlFolder(const ScratchDrive& drive) {
  Lines left;
  for (const auto& entry : fs::directory_iterator(drive.Host(kControlFolder))) {
    const std::string name = entry.path().filename().string();
    if (entry.path().extension() == ".add" || name.rfind(".vantrel-tmp", 0) == 0)
      left.push_back(name);
  }
  return left;
}

// One interruption and everything that must hold after it.
class Interruption {
 public:
  Interruption(const ScratchDrive& drive, const CompleteRun& complete, const Stop& stop)
      : drive_(drive), complete_(complete), stop_(stop) {
    sourceBefore_ = testenv::Snapshot(drive.Host("C:\\QVD_OLDINST"));
    rootBefore_ = testenv::WithoutLog(testenv::Snapshot(drive.Host(kRoot)));
  }

  void Interrupt(const ProgramProcess& run) const {
    if (stop_.toGroup)
      run.SignalGroup(stop_.signal);
    else
      run.Signal(stop_.signal);
  }

  // After the run and everything of its group has ended.
  void Check(int status, const std::string& errors, bool waitedForTheLock) {
    const Lines log = testenv::ReadLogLines(drive_.Host(kLogFolder + "\\Vantrel.log"));
    const bool stopped = Holds(log, StopLine()) || waitedForTheLock;
    // A moment that fell after the run's last step finds it complete.
    const bool complete = !stopped && testenv::ExitCodeOf(status) == 0;
    EXPECT_EQ(
        testenv::FirstDifference(sourceBefore_, testenv::Snapshot(drive_.Host("C:\\QVD_OLDINST"))),
        "");
    ExpectWholeFiles();
    backup_ = NewestBackup(drive_);
    if (stop_.cause && !complete) ExpectStoppedCleanly(status, log, errors, waitedForTheLock);
    if (!stop_.cause && !complete) {
      EXPECT_EQ(testenv::SignalOf(status), SIGKILL) << "exit code " << testenv::ExitCodeOf(status);
    }
    EXPECT_TRUE(LockIsFree(kControlFolder + "\\Vantrel.lock"));
    EXPECT_TRUE(LockIsFree(kLogFolder + "\\Vantrel.lock"));
    ExpectRolledBackToBefore();
  }

  // The next run into the same log folder, after the rollback: it starts
  // and completes, and names no backup: the rollback put back all of the
  // run that was cut off.
  void CheckNextRun() {
    ProgramProcess next(Program(drive_), {kRunCommand}, Stem(drive_, "next"));
    EXPECT_EQ(testenv::ExitCodeOf(next.Wait()), 0) << next.Errors();
    const std::string line =
        "The previous run into this log folder was cut off; it can be rolled back with: "
        "vantrel --rollback " +
        backup_.value_or("");
    const Lines log = testenv::ReadLogLines(drive_.Host(kLogFolder + "\\Vantrel.log"));
    EXPECT_FALSE(Contains(next.Errors(), "vantrel: " + line + "\n")) << next.Errors();
    EXPECT_FALSE(Holds(log, "!" + line)) << Joined(log);
  }

  bool cutOff() const { return cutOff_; }
  const std::optional<std::string>& backup() const { return backup_; }

 private:
  std::string StopLine() const {
    return std::string("# The run was stopped (") + (stop_.cause ? stop_.cause : "") +
           "); what was done until now can be rolled back";
  }

  void ExpectWholeFiles() const {
    const TreeSnapshot root = testenv::WithoutLog(testenv::Snapshot(drive_.Host(kRoot)));
    // A writer killed between naming its temporary file and renaming it
    // leaves that file; a caught stop lets every write end.
    if (stop_.cause) {
      EXPECT_FALSE(testenv::HoldsTemporaryFile(root));
    }
    for (const auto& [path, state] : root) {
      const bool temporary = fs::path(path).filename().string().rfind(".vantrel-tmp", 0) == 0;
      if (!state.folder && !temporary) {
        EXPECT_TRUE(complete_.states.Holds(path, state.bytes)) << path;
      }
    }
  }

  void ExpectStoppedCleanly(int status, const Lines& log, const std::string& errors,
                            bool waitedForTheLock) const {
    EXPECT_EQ(testenv::ExitCodeOf(status), 1) << "ended by signal " << testenv::SignalOf(status);
    EXPECT_TRUE(LeftInControlFolder(drive_).empty()) << Joined(LeftInControlFolder(drive_));
    if (waitedForTheLock) {
      EXPECT_EQ(errors,
                "vantrel: another run is using " + drive_.Host(kLogFolder + "\\Vantrel.lock") +
                    "; waiting up to 10 minutes\nvantrel: The run was stopped (" + stop_.cause +
                    ") while waiting for " + drive_.Host(kLogFolder + "\\Vantrel.lock") +
                    "; nothing was upgraded.\n");
      EXPECT_FALSE(backup_.has_value());
      return;
    }
    auto stopped = std::find(log.begin(), log.end(), StopLine());
    ASSERT_NE(stopped, log.end()) << Joined(log);
    ASSERT_TRUE(backup_.has_value());
    ASSERT_NE(stopped + 1, log.end());
    EXPECT_EQ(*(stopped + 1), ".To roll it back: vantrel --rollback " + *backup_);
    EXPECT_TRUE(Contains(errors, std::string("  Stopped: ") + stop_.cause + ", before its end\n"))
        << errors;
  }

  // The journal as the run left it: ended, or cut off.
  void ReadJournal() {
    std::string text, fault;
    Journal journal;
    const bool read =
        platform::ReadFileBytes(platform::ToBackslashes(*backup_ + "/manifest.txt"), text).ok;
    // Killed between making the backup folder and its journal, or while it
    // wrote the journal's head: before its first change either way.
    noJournal_ = !stop_.cause && !read;
    if (noJournal_ || (!stop_.cause && JournalHeadCutShort(text))) return;
    ASSERT_TRUE(read);
    ASSERT_TRUE(ParseJournal(text, journal, fault)) << fault;
    cutOff_ = journal.cutOff && !journal.entries.empty();
    if (stop_.cause) {
      EXPECT_FALSE(journal.cutOff) << "a caught stop ends the journal";
    }
  }

  void ExpectRolledBackToBefore() {
    if (backup_) {
      ReadJournal();
      ProgramProcess rollback(Program(drive_), {"--rollback", *backup_}, Stem(drive_, "rollback"));
      const int code = testenv::ExitCodeOf(rollback.Wait());
      const bool cutOffJournal = Contains(
          rollback.Errors(), "vantrel: The run that made this backup was cut off before its end");
      const bool refusedUnread = noJournal_ && Contains(rollback.Errors(), "vantrel: No journal: ");
      EXPECT_EQ(code, cutOffJournal || refusedUnread ? 1 : 0) << rollback.Errors();
      EXPECT_TRUE(stop_.cause == nullptr || !cutOffJournal) << rollback.Errors();
    }
    EXPECT_EQ(testenv::FirstDifference(rootBefore_,
                                       testenv::WithoutLog(testenv::Snapshot(drive_.Host(kRoot)))),
              "");
  }

  const ScratchDrive& drive_;
  const CompleteRun& complete_;
  const Stop& stop_;
  TreeSnapshot sourceBefore_;
  TreeSnapshot rootBefore_;
  std::optional<std::string> backup_;
  bool cutOff_ = false;
  bool noJournal_ = false;
};

using Row = std::tuple<Stop, Moment>;

class InterruptedRun : public ::testing::TestWithParam<Row> {
 protected:
  static void SetUpTestSuite() {
    ScratchDrive drive;
    LaySamplesForInterruption(drive);
    testenv::SetFoldexBehaviour(drive, kProgramFolder, "exchange\n");
    complete_ = new CompleteRun(RunCompletely(drive));
  }
  static void TearDownTestSuite() {
    delete complete_;
    complete_ = nullptr;
  }

  // The exchange call a moment holds; 0 for none.
  static int HeldCall(Moment moment) {
    const Lines& calls = complete_->calls;
    switch (moment) {
      case Moment::kSystemFileExchange:
        return FirstCallInto(calls, testenv::kNewInstallation + "\\System\\");
      case Moment::kUserFileExchange:
        return FirstCallInto(calls, testenv::kNewInstallation + "\\Program\\");
      case Moment::kLastExchange:
        return static_cast<int>(calls.size());
      default:
        return 0;
    }
  }

  static CompleteRun* complete_;
};

CompleteRun* InterruptedRun::complete_ = nullptr;

TEST_P(InterruptedRun, LeavesWholeFilesAndRollsBackToTheTreeOfBefore) {
  const auto& [stop, moment] = GetParam();
  ScratchDrive drive;
  LaySamplesForInterruption(drive);
  const int held = HeldCall(moment);
  std::string behaviour = "exchange\n";
  if (held > 0) behaviour += "hold-at-call " + std::to_string(held) + "\n";
  testenv::SetFoldexBehaviour(drive, kProgramFolder, behaviour);
  Interruption interruption(drive, *complete_, stop);
  // Another run's lock, as a second process holds it.
  std::optional<platform::FileLock> otherRun;
  bool acquired = false;
  if (moment == Moment::kWhileWaitingForTheLock) {
    ASSERT_TRUE(otherRun.emplace().TryAcquire(kLogFolder + "\\Vantrel.lock", acquired).ok &&
                acquired);
  }

  ProgramProcess run(Program(drive), {kRunCommand}, Stem(drive, "run"));
  ASSERT_TRUE(run.WaitUntilCatchingStops());
  if (held > 0) {
    ASSERT_TRUE(run.WaitUntilExists(drive.Host(kProgramFolder + "\\Foldex.held")));
  } else if (moment == Moment::kWhileWaitingForTheLock) {
    while (run.Running() && !Contains(run.Errors(), "waiting up to"))
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
  } else if (moment == Moment::kHalfwayThroughTheRun) {
    std::this_thread::sleep_for(complete_->took / 2);
  }
  interruption.Interrupt(run);
  // An exchange program that outlives its run, or was not stopped with it,
  // does its work and ends.
  drive.Write(kProgramFolder + "\\Foldex.go", "");
  const int status = run.Wait();
  otherRun.reset();

  interruption.Check(status, run.Errors(), moment == Moment::kWhileWaitingForTheLock);
  if (held > 0 && !stop.cause) {
    EXPECT_TRUE(interruption.cutOff()) << "killed with a change made";
  }
  interruption.CheckNextRun();
}

INSTANTIATE_TEST_SUITE_P(
    Samples, InterruptedRun,
    ::testing::Combine(::testing::Values(kCtrlC, kTerminate, kHangUp, kKill),
                       ::testing::Values(Moment::kAtStart, Moment::kWhileWaitingForTheLock,
                                         Moment::kSystemFileExchange, Moment::kUserFileExchange,
                                         Moment::kLastExchange, Moment::kHalfwayThroughTheRun)),
    [](const auto& info) {
      return std::string(std::get<0>(info.param).name) + "_" + MomentName(std::get<1>(info.param));
    });

constexpr int kRoundsPerStop = 10;
// An installation as large as a controller's, most of it files the run
// only gives their attributes; the user programs set the time a run takes.
constexpr int kLargeInstallationFiles = 2000;
constexpr int kLargeInstallationUserFiles = 100;

// What the runs left beside the log: their logs and backups.
void EmptyLogFolder(const ScratchDrive& drive) {
  for (const auto& entry : fs::directory_iterator(drive.Host(kLogFolder))) fs::remove_all(entry);
}

// The rollback of a run that was not interrupted puts the tree back too.
void RollBackCompleteRun(const ScratchDrive& drive, const CompleteRun& complete) {
  const std::optional<std::string> backup = NewestBackup(drive);
  ASSERT_TRUE(backup.has_value());
  ProgramProcess rollback(Program(drive), {"--rollback", *backup}, Stem(drive, "rollback"));
  EXPECT_EQ(testenv::ExitCodeOf(rollback.Wait()), 0) << rollback.Errors();
  EXPECT_EQ(testenv::FirstDifference(complete.states.before,
                                     testenv::WithoutLog(testenv::Snapshot(drive.Host(kRoot)))),
            "");
}

// Laying an installation this large costs more than a run on the build
// machines, so it is laid once: each rollback must put it back exactly,
// which is what is tested, and a round that finds otherwise ends the test.
TEST(SlowInterruptions, RunsStoppedOrKilledAtRandomMomentsRollBackToTheTreeOfBefore) {
  ScratchDrive drive;
  testenv::LayLargeInstallation(drive, kProgramFolder, kLargeInstallationFiles,
                                kLargeInstallationUserFiles);
  const CompleteRun complete = RunCompletely(drive);
  RollBackCompleteRun(drive, complete);
  ASSERT_FALSE(testing::Test::HasFailure());

  const char* seedText = std::getenv("VANTREL_INTERRUPT_SEED");
  const unsigned seed =
      seedText ? static_cast<unsigned>(std::strtoul(seedText, nullptr, 10)) : 2026u;
  std::cout << "seed " << seed << ", a complete run takes " << complete.took.count() << " ms\n";
  std::mt19937 random(seed);
  std::uniform_int_distribution<long> pickMoment(0, complete.took.count());
  const Stop* stops[] = {&kCtrlC, &kTerminate, &kKill};
  int stopped = 0;
  int cutOff = 0;
  for (int round = 0; round < kRoundsPerStop * 3; ++round) {
    const Stop& stop = *stops[round % 3];
    const std::chrono::milliseconds moment(pickMoment(random));
    SCOPED_TRACE("seed " + std::to_string(seed) + ", round " + std::to_string(round + 1) + ": " +
                 stop.name + " after " + std::to_string(moment.count()) + " ms");
    EmptyLogFolder(drive);
    Interruption interruption(drive, complete, stop);
    ProgramProcess run(Program(drive), {kRunCommand}, Stem(drive, "run"));
    ASSERT_TRUE(run.WaitUntilCatchingStops());
    std::this_thread::sleep_for(moment);
    interruption.Interrupt(run);
    const int status = run.Wait();
    interruption.Check(status, run.Errors(), false);
    stopped += testenv::ExitCodeOf(status) != 0 ? 1 : 0;
    cutOff += interruption.cutOff() ? 1 : 0;
    if (testing::Test::HasFailure()) break;
  }
  // Moments that all fell after the end of the run would test nothing.
  EXPECT_GT(stopped, kRoundsPerStop);
  std::cout << stopped << " of " << kRoundsPerStop * 3 << " runs ended before their end, " << cutOff
            << " of them with a journal cut off (seed " << seed << ")\n";
}

}  // namespace
