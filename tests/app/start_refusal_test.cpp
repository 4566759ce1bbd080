// Runs refused before their first change: the summary names the first
// errors and their cause, and an older installation given as the
// destination is never upgraded from the newer one.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/run.h"
#include "app/summary.h"
#include "platform/platform.h"
#include "support/test_env.h"
#include "support/tree_snapshot.h"

namespace {

using testenv::BatchRun;
using testenv::kNewInstallation;
using testenv::kOldInstallation;
using testenv::ScratchDrive;

const std::string kSwapped = kNewInstallation + "|" + kOldInstallation;
const std::string kLog = "C:\\QVD\\ROBOTER\\LOG\\Vantrel.log";

// The summary's lines from "Errors:" up to the log's line.
std::string ErrorPart(const Context& context) {
  const std::string summary = RunSummary(context.Record, context.LogFilePath);
  const std::size_t from = summary.find("Errors: ");
  return summary.substr(from, summary.find("Log: ") - from);
}

struct StartCase {
  std::string name;
  std::string command;
  std::string errorPart;  // from "Errors:" to before "Log:"
};

TEST(StartRefusal, TheSummaryNamesTheFirstErrorsAndTheirCause) {
  ScratchDrive drive;
  testenv::LayEmptyInstallations(drive);
  drive.MakeFolder(kOldInstallation + "\\Sub\\R1");
  std::string driveFolder = platform::HostPath("C:\\");
  if (driveFolder.back() == '\\' || driveFolder.back() == '/') driveFolder.pop_back();
  const std::string driveC =
      "Drive C: is " + driveFolder + " (VANTREL_DRIVE_C names another folder).";
  const std::vector<StartCase> table = {
      {"no bar", kOldInstallation,
       "Errors: 1, warnings: 0\n"
       "First errors:\n"
       "  # ERROR: source path = destination path\n"
       "Cause: there is no | between the source and the destination path: both are " +
           kOldInstallation + "\n"},
      {"destination inside the source", kOldInstallation + "|" + kOldInstallation + "\\Sub\\R1",
       "Errors: 1, warnings: 0\n"
       "First errors:\n"
       "  # ERROR: source path = destination path\n"
       "Cause: the destination " +
           kOldInstallation + "\\Sub\\R1 lies inside the source " + kOldInstallation + "\n"},
      {"same folder", kOldInstallation + "|" + "c:\\qvd_oldinst\\qvd\\r1",
       "Errors: 1, warnings: 0\n"
       "First errors:\n"
       "  # ERROR: source path = destination path\n"
       "Cause: the source and the destination are the same folder " +
           kOldInstallation + "\n"},
      {"swapped", kSwapped,
       "Errors: 1, warnings: 0\n"
       "First errors:\n"
       "  # Can not find path: C:\\QVD_OLDINST\\TEMPLATE\n"
       "Cause: the destination " +
           kOldInstallation + " has no template folder, but the source " + kNewInstallation +
           " has one: source and destination seem swapped. " + driveC + "\n"},
      {"missing folder", "C:\\Nowhere\\QVD\\R1|" + kNewInstallation,
       "Errors: 1, warnings: 0\n"
       "First errors:\n"
       "  # Can not find path: C:\\Nowhere\\QVD\\R1\\System\n"
       "Cause: " +
           driveC + "\n"},
  };
  for (const StartCase& row : table) {
    BatchRun run("C:\\PROG");
    EXPECT_EQ(run.Run(row.command), 1) << row.name;
    EXPECT_EQ(ErrorPart(run.context), row.errorPart) << row.name;
  }
}

TEST(StartRefusal, ADriveThatIsNoFolderIsNamedWithWhereItLeads) {
  ScratchDrive drive;
  testenv::LayEmptyInstallations(drive);
  const std::string missing = drive.root() + "/no-such-drive";
  ASSERT_TRUE(platform::SetEnvironmentValue("VANTREL_DRIVE_D", missing));
  BatchRun run("C:\\PROG");
  EXPECT_EQ(run.Run("D:\\QVD_OLDINST\\QVD\\R1|" + kNewInstallation), 1);
  ASSERT_TRUE(platform::RemoveEnvironmentValue("VANTREL_DRIVE_D"));
  EXPECT_EQ(run.context.Record.startCause,
            "Drive D: is " + missing +
                ", which does not exist (VANTREL_DRIVE_D names another "
                "folder).");
}

TEST(StartRefusal, OnlyTheFirstFiveErrorsAreNamed) {
  MemoryLog log;
  Context context;
  context.Lumo = &log;
  for (int i = 1; i <= 7; ++i) context.Log("# fault " + std::to_string(i));
  context.Log("! a warning");
  EXPECT_EQ(
      context.Record.firstErrors,
      (std::vector<std::string>{"# fault 1", "# fault 2", "# fault 3", "# fault 4", "# fault 5"}));
}

class OlderDestination : public ::testing::Test {
 protected:
  void SetUp() override {
    testenv::LaySamples(drive, testenv::kProgramFolder);
    // With a template folder in the old root every folder check passes.
    drive.MakeFolder("C:\\QVD_OLDINST\\Template");
    before = testenv::Snapshot(drive.Host("C:\\QVD_OLDINST"));
  }
  void ExpectOldInstallationUnchanged() {
    EXPECT_EQ(testenv::FirstDifference(before, testenv::Snapshot(drive.Host("C:\\QVD_OLDINST"))),
              "");
  }

  ScratchDrive drive;
  testenv::TreeSnapshot before;
  const std::string line = "# The destination " + kOldInstallation +
                           " holds a 5.x configuration and the source " + kNewInstallation +
                           " does not: the source is the newer installation. Source and "
                           "destination seem swapped; nothing was upgraded";
};

TEST_F(OlderDestination, BatchRunStopsBeforeAnyChange) {
  BatchRun run(testenv::kProgramFolder);
  EXPECT_EQ(run.Run(kSwapped), 1);
  ExpectOldInstallationUnchanged();
  const std::vector<std::string> log = testenv::ReadLogLines(drive.Host(kLog));
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(), line);
  EXPECT_TRUE(run.context.Record.backupFolder.empty());
  EXPECT_TRUE(testenv::RecordedFoldexCalls(drive, testenv::kProgramFolder).empty());
}

TEST_F(OlderDestination, DialogRunShowsWhyAndChangesNothing) {
  BatchRun run(testenv::kProgramFolder);
  Context& context = run.context;
  std::vector<std::string> messages;
  context.BatchMode = false;
  context.StdForm.Load();
  context.UI.Form_Load();
  context.UI.SelAll_Click();
  context.UI.SourcePath = kNewInstallation;
  context.UI.DestPath = kOldInstallation;
  context.ShowMessageBox = [&messages](const std::string& text, MessageIcon) {
    messages.push_back(text);
  };
  context.UI.OnRun = [&context] { RunUpgrade(context); };
  context.UI.Run_Click(context);
  ExpectOldInstallationUnchanged();
  ASSERT_GE(messages.size(), 1u);
  EXPECT_EQ(messages[0], line.substr(2));
}

TEST_F(OlderDestination, TheRightOrderStillRuns) {
  BatchRun run(testenv::kProgramFolder);
  run.Run(testenv::kRunCommand);
  const std::vector<std::string> log = testenv::ReadLogLines(drive.Host(kLog));
  EXPECT_EQ(std::find(log.begin(), log.end(), line), log.end());
  EXPECT_TRUE(run.context.Record.migrationRun);
}

}  // namespace
