// Whole runs of the built program over a file system that forgets, at a
// power cut, what was not made durable (tools/powercut_fs). A run without
// a cut gives the count of its changing operations and the result; then
// the power fails after the K-th operation of a run, for K spread evenly
// over that count. After each cut the old installation is unchanged, the
// new one (without its log folder) is as it was before or the rollback of
// the newest backup puts it back exactly, bytes and attributes; and from
// the same crash image a second run completes the upgrade as the uncut
// run did.
//
// The file system is mounted over an empty folder that becomes drive C:;
// the installation is laid on the host and is the file system's seed.
// Without the file system's program, /dev/fuse or a mount the tests skip.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "support/posix/power_cut_fs.h"
#include "support/posix/program_process.h"
#include "support/test_env.h"
#include "support/tree_snapshot.h"
#include "support/whole_run.h"

namespace fs = std::filesystem;

namespace {

using namespace testenv::whole_run;
using testenv::PowerCutFs;
using testenv::ProgramProcess;

const std::string kRoot = "C:\\QVD\\ROBOTER";
const std::string kLogFolder = kRoot + "\\LOG";
const std::string kSourceRoot = "C:\\QVD_OLDINST";

// The samples without their two programs whose folds do not pair up, so
// that a complete run ends with exit code 0.
void LaySamples(const ScratchDrive& drive) {
  testenv::LaySamples(drive, kProgramFolder);
  fs::remove(drive.Host(kOldInstallation + "\\Program\\Broken_Open.src"));
  fs::remove(drive.Host(kOldInstallation + "\\Program\\Broken_Close.src"));
}

// 200 files in the old installation, 20 of them user programs.
void LayTwoHundredFiles(const ScratchDrive& drive) {
  testenv::LayLargeInstallation(drive, kProgramFolder, 200, 20);
}

struct Ended {
  int status = 0;
  std::string errors;
};

// Drive C: served by the power-cut file system, its seed an installation
// laid on the host. The programs' output stays on the host.
class PowerCutDrive {
 public:
  explicit PowerCutDrive(void (*lay)(const ScratchDrive&)) {
    lay(seed_);
    outputs_ = seed_.root() + "/outputs";
    fs::create_directories(outputs_);
    drive_.emplace();
    fs_.emplace(seed_.root(), drive_->root());
  }

  const PowerCutFs& fs() const { return *fs_; }
  std::string Host(const std::string& systemPath) const { return drive_->Host(systemPath); }

  Ended Run(const std::vector<std::string>& arguments, const std::string& name) const {
    ProgramProcess run(Host(kProgramFolder + "\\" + testenv::ProgramFileName()), arguments,
                       outputs_ + "/" + name);
    const int status = run.Wait();
    return {status, run.Errors()};
  }

 private:
  ScratchDrive seed_;
  std::string outputs_;
  std::optional<ScratchDrive> drive_;
  std::optional<PowerCutFs> fs_;  // unmounted before the drive's folder goes
};

// What a run without a cut starts from and leaves.
struct Reference {
  TreeSnapshot source;
  TreeSnapshot before;
  TreeSnapshot after;
  std::uint64_t operations = 0;
  std::chrono::milliseconds took{};
};

Reference RunUncut(const PowerCutDrive& drive) {
  Reference reference;
  drive.fs().Reset();
  reference.source = testenv::Snapshot(drive.Host(kSourceRoot));
  reference.before = testenv::SnapshotWithoutLog(drive.Host(kRoot));
  const auto start = std::chrono::steady_clock::now();
  const Ended run = drive.Run({kRunCommand}, "uncut");
  reference.took = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - start);
  EXPECT_EQ(testenv::ExitCodeOf(run.status), 0) << run.errors;
  reference.operations = drive.fs().Count();
  reference.after = testenv::SnapshotWithoutLog(drive.Host(kRoot));
  EXPECT_NE(testenv::FirstDifference(reference.before, reference.after), "");
  return reference;
}

// From the first operation to the last, evenly.
std::vector<std::uint64_t> CutPoints(std::uint64_t operations, std::uint64_t count) {
  std::vector<std::uint64_t> points;
  if (operations == 0) return points;
  for (std::uint64_t i = 0; i < count; ++i) {
    const std::uint64_t point = count == 1 ? operations : 1 + i * (operations - 1) / (count - 1);
    if (points.empty() || points.back() != point) points.push_back(point);
  }
  return points;
}

std::optional<std::string> NewestBackup(const PowerCutDrive& drive) {
  std::string newest;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(drive.Host(kLogFolder), error))
    if (entry.path().filename().string().rfind("Vantrel-backup-", 0) == 0 &&
        entry.path().string() > newest)
      newest = entry.path().string();
  if (newest.empty()) return std::nullopt;
  return newest;
}

std::string CheckCrashImage(const PowerCutDrive& drive, const Reference& reference);

// What does not hold after a cut after the operation numbered cut; ""
// where everything does.
std::string CheckCut(const PowerCutDrive& drive, const Reference& reference, std::uint64_t cut) {
  const PowerCutFs& power = drive.fs();
  power.Reset();
  power.CutAfter(cut);
  drive.Run({kRunCommand}, "cut");
  power.Reboot();
  const std::string fault = CheckCrashImage(drive, reference);
  const std::string state = power.State();
  const std::size_t torn = state.find("torn ");
  if (fault.empty() || torn == std::string::npos) return fault;
  return "(the cut wrote " + state.substr(torn + 5, state.find('\n', torn) - torn - 5) +
         " changes not yet durable)\n" + fault;
}

// The checks after the reboot into a crash image.
std::string CheckCrashImage(const PowerCutDrive& drive, const Reference& reference) {
  const PowerCutFs& power = drive.fs();
  const std::string source =
      testenv::FirstDifference(reference.source, testenv::Snapshot(drive.Host(kSourceRoot)));
  if (!source.empty()) return "the old installation changed: " + source;
  const std::string left =
      testenv::FirstDifference(reference.before, testenv::SnapshotWithoutLog(drive.Host(kRoot)));
  if (!left.empty()) {
    const std::optional<std::string> backup = NewestBackup(drive);
    if (!backup) return "the new installation changed (" + left + ") and there is no backup";
    const Ended rollback = drive.Run({"--rollback", *backup}, "rollback");
    const std::string back =
        testenv::FirstDifference(reference.before, testenv::SnapshotWithoutLog(drive.Host(kRoot)));
    if (!back.empty())
      return "the new installation changed (" + left + "), and after the rollback of " + *backup +
             " (exit code " + std::to_string(testenv::ExitCodeOf(rollback.status)) +
             ") it still differs: " + back + "; the rollback said:\n" + rollback.errors;
  }
  power.Reboot();
  const Ended second = drive.Run({kRunCommand}, "second");
  if (testenv::ExitCodeOf(second.status) != 0)
    return "a second run ends with exit code " +
           std::to_string(testenv::ExitCodeOf(second.status)) + ":\n" + second.errors;
  const std::string completed =
      testenv::FirstDifference(reference.after, testenv::SnapshotWithoutLog(drive.Host(kRoot)));
  if (!completed.empty())
    return "a second run leaves a result other than the uncut run's: " + completed;
  return "";
}

// The operation a cut fell after, with the two before it.
std::string CutOperation(const PowerCutDrive& drive, std::uint64_t cut) {
  const std::vector<std::string> operations = drive.fs().Operations();
  std::string text;
  for (std::uint64_t number = cut > 2 ? cut - 2 : 1; number <= cut; ++number)
    if (number <= operations.size())
      text += "\n  " + std::to_string(number) + " " + operations[number - 1];
  return text;
}

// Cuts the power at each point and reports every one at which something
// does not hold; gives the number of those.
int CutAtPoints(const PowerCutDrive& drive, const Reference& reference,
                const std::vector<std::uint64_t>& points) {
  int failed = 0;
  for (const std::uint64_t cut : points) {
    const std::string fault = CheckCut(drive, reference, cut);
    if (fault.empty()) continue;
    ++failed;
    ADD_FAILURE() << "power cut after operation " << cut << " of " << reference.operations << ":"
                  << CutOperation(drive, cut) << "\n"
                  << fault;
  }
  return failed;
}

enum class Cuts { kDurableOnly, kTorn };
// The torn cuts' draws, the same in every run of the tests.
constexpr std::uint64_t kTornSeed = 2026;

// The whole test over one installation: the uncut run and the cuts.
void CutRunsOver(void (*lay)(const ScratchDrive&), std::uint64_t pointCount, Cuts cuts) {
  PowerCutDrive drive(lay);
  if (!drive.fs().mounted()) GTEST_SKIP() << drive.fs().whyNot();
  const Reference reference = RunUncut(drive);
  ASSERT_FALSE(testing::Test::HasFailure());
  const std::vector<std::uint64_t> points = CutPoints(reference.operations, pointCount);
  drive.fs().TornCuts(cuts == Cuts::kTorn, kTornSeed);
  const auto start = std::chrono::steady_clock::now();
  const int failed = CutAtPoints(drive, reference, points);
  const auto took =
      std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start);
  std::cout << (cuts == Cuts::kTorn ? "torn cuts; " : "")
            << "an uncut run: " << reference.operations << " changing operations in "
            << reference.took.count() << " ms; " << points.size() << " cut points in "
            << took.count() << " s, " << failed << " failed\n";
}

TEST(PowerCut, SamplesAtFivePoints) { CutRunsOver(LaySamples, 5, Cuts::kDurableOnly); }

TEST(PowerCut, SamplesAtFiveTornPoints) { CutRunsOver(LaySamples, 5, Cuts::kTorn); }

// The file system has no O_TMPFILE: every replacement goes through a named
// temporary file in its target's folder, and the run completes as usual.
TEST(PowerCut, RunWithoutUnnamedTemporaryFilesCompletes) {
  PowerCutDrive drive(LaySamples);
  if (!drive.fs().mounted()) GTEST_SKIP() << drive.fs().whyNot();
  RunUncut(drive);
  int named = 0;
  for (const std::string& operation : drive.fs().Operations())
    if (operation.rfind("create ", 0) == 0 && operation.find("/.vantrel-tmp-") != std::string::npos)
      ++named;
  EXPECT_GT(named, 0);
}

// Every entry in which two trees differ, one a line.
std::string Differences(const TreeSnapshot& expected, const TreeSnapshot& actual) {
  std::string text;
  for (const auto& [path, state] : expected) {
    auto found = actual.find(path);
    if (found == actual.end())
      text += "missing: " + path + "\n";
    else if (found->second != state)
      text += testenv::FirstDifference({{path, state}}, {{path, found->second}}) + "\n";
  }
  for (const auto& [path, state] : actual)
    if (!expected.count(path)) text += "unexpected: " + path + "\n";
  return text;
}

// A cut right after a run's last operation keeps the run's whole result:
// what a run has done is on the disk when it ends.
TEST(PowerCut, CompletedRunIsDurable) {
  PowerCutDrive drive(LaySamples);
  if (!drive.fs().mounted()) GTEST_SKIP() << drive.fs().whyNot();
  const Reference reference = RunUncut(drive);
  drive.fs().CutAfter(0);
  drive.fs().Reboot();
  EXPECT_EQ(Differences(reference.after, testenv::SnapshotWithoutLog(drive.Host(kRoot))), "");
}

TEST(SlowPowerCut, SamplesAtFortyPoints) { CutRunsOver(LaySamples, 40, Cuts::kDurableOnly); }

TEST(SlowPowerCut, SamplesAtFortyTornPoints) { CutRunsOver(LaySamples, 40, Cuts::kTorn); }

TEST(SlowPowerCut, TwoHundredFilesAtTwoHundredPoints) {
  CutRunsOver(LayTwoHundredFiles, 200, Cuts::kDurableOnly);
}

TEST(SlowPowerCut, TwoHundredFilesAtHundredTornPoints) {
  CutRunsOver(LayTwoHundredFiles, 100, Cuts::kTorn);
}

}  // namespace
