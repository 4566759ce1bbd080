// The exchange program killed at a random moment of a random start, over
// 200 whole runs of the samples. After each run every destination file is
// a whole state (as it was, as a complete run leaves it, or a plain copy
// of its source), no temporary file is left in the destination or in the
// control folder, the old installation is unchanged, and the exit code
// tells whether a step was cut off.
//
// Suites named Slow* run apart from the ordinary suite (ctest label slow).
// VANTREL_KILL_SEED picks another sequence of moments.

#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <filesystem>
#include <random>

#include "support/test_env.h"
#include "support/whole_run.h"
#include "support/tree_snapshot.h"

namespace fs = std::filesystem;

namespace {

using namespace testenv::whole_run;
using testenv::HoldsTemporaryFile;
using testenv::WithoutLog;

constexpr int kRounds = 200;
// Cuts fall from the program's start to past the end of its work on
// a sample file, syncs included.
constexpr long kLatestCutMicroseconds = 8'000;

// The samples without their two programs whose folds do not pair up, so
// that only a cut-off step makes the run fail; the stand-in exchange
// program does the real program's work.
void LayRound(const ScratchDrive& drive) {
  testenv::LaySamples(drive, kProgramFolder);
  fs::remove(drive.Host(kOldInstallation + "\\Program\\Broken_Open.src"));
  fs::remove(drive.Host(kOldInstallation + "\\Program\\Broken_Close.src"));
  testenv::InstallFakeFoldex(drive, kProgramFolder);
}

TEST(SlowFaults, ExchangeProgramKilledAtRandomMomentsLeavesWholeFilesOnly) {
  testenv::WholeStates states;
  std::size_t calls = 0;
  {
    ScratchDrive clean;
    LayRound(clean);
    states.before = testenv::SnapshotWithoutLog(clean.Host("C:\\QVD\\ROBOTER"));
    states.source = testenv::Snapshot(clean.Host(kOldInstallation));
    testenv::SetFoldexBehaviour(clean, kProgramFolder, "exchange\n");
    BatchRun full(kProgramFolder);
    ASSERT_EQ(full.Run(kRunCommand), 0);
    states.after = testenv::SnapshotWithoutLog(clean.Host("C:\\QVD\\ROBOTER"));
    calls = testenv::RecordedFoldexCalls(clean, kProgramFolder).size();
  }
  ASSERT_GT(calls, 0u);

  const char* seedText = std::getenv("VANTREL_KILL_SEED");
  const unsigned seed = seedText ? static_cast<unsigned>(std::strtoul(seedText, nullptr, 10)) : 12u;
  std::mt19937 random(seed);
  std::uniform_int_distribution<std::size_t> pickCall(1, calls);
  std::uniform_int_distribution<long> pickMoment(0, kLatestCutMicroseconds);
  int failedRuns = 0;
  for (int round = 1; round <= kRounds; ++round) {
    const std::size_t call = pickCall(random);
    const long moment = pickMoment(random);
    SCOPED_TRACE("seed " + std::to_string(seed) + ", round " + std::to_string(round) + ": call " +
                 std::to_string(call) + " cut after " + std::to_string(moment) + " us");
    ScratchDrive drive;
    LayRound(drive);
    testenv::SetFoldexBehaviour(drive, kProgramFolder,
                                "exchange\ndie-at-call " + std::to_string(call) +
                                    "\ndie-after-us " + std::to_string(moment) + "\n");
    TreeSnapshot sourceBefore = testenv::Snapshot(drive.Host("C:\\QVD_OLDINST"));

    BatchRun run(kProgramFolder);
    const int code = run.Run(kRunCommand);

    const Lines log = testenv::ReadLogLines(drive.Host("C:\\QVD\\ROBOTER\\LOG\\Vantrel.log"));
    bool cut = false;
    for (const std::string& line : log)
      if (line.rfind("! Foldex.exe ended with exit code 137: ", 0) == 0) cut = true;
    EXPECT_EQ(code, cut ? 1 : 0);
    failedRuns += cut ? 1 : 0;
    const TreeSnapshot destination = testenv::SnapshotWithoutLog(drive.Host("C:\\QVD\\ROBOTER"));
    EXPECT_FALSE(HoldsTemporaryFile(destination));
    EXPECT_FALSE(HoldsTemporaryFile(testenv::Snapshot(drive.Host(kProgramFolder + "\\Vantrel"))));
    for (const auto& [path, state] : destination) {
      if (!state.folder) {
        EXPECT_TRUE(states.Holds(path, state.bytes)) << path;
      }
    }
    EXPECT_EQ(testenv::FirstDifference(sourceBefore, testenv::Snapshot(drive.Host("C:\\QVD_OLDINST"))),
              "");
    if (HasFailure()) break;
  }
  // Some cuts fall inside the program's work; a sequence that never did
  // would test nothing.
  EXPECT_GT(failedRuns, 0);
  std::cout << failedRuns << " of " << kRounds << " runs had a step cut off (seed " << seed
            << ")\n";
}

}  // namespace
