// The JSON summary for scripts: its fixed verdict words, its fields, and
// names in the controller's code page converted to UTF-8.

#include "app/summary_json.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "app/plan.h"
#include "core/run_state.h"
#include "platform/platform.h"
#include "support/test_env.h"

namespace {

struct VerdictCase {
  const char* name;
  RunRecord record;
  const char* verdict;
};

RunRecord Opened() {
  RunRecord record;
  record.logOpened = true;
  return record;
}

TEST(SummaryJson, EveryEndHasItsFixedWord) {
  std::vector<VerdictCase> table = {
      {"no log", RunRecord(), "not-started"},   {"clean", Opened(), "done"},
      {"errors", Opened(), "done-with-errors"}, {"aborted", Opened(), "not-started"},
      {"locked", RunRecord(), "locked"},        {"stopped", Opened(), "stopped"},
  };
  table[2].record.errors = 2;
  table[3].record.aborted = true;
  table[3].record.errors = 1;
  table[4].record.locked = true;
  table[5].record.stoppedBy = "SIGINT";
  table[5].record.errors = 1;
  for (const VerdictCase& row : table)
    EXPECT_STREQ(RunVerdict(row.record), row.verdict) << row.name;
}

TEST(SummaryJson, TheDocumentHoldsEveryFieldWithNamesAsUtf8) {
  RunRecord record = Opened();
  record.systemFiles = {{"$CONFIG.DAT", true, ""}, {"SPS.SUB", false, "failed"}};
  record.migrationRun = true;
  record.userFilesUpgraded = {"Program\\A.src"};
  record.userFilesUnchanged = {"Program\\Caf\xE9.src"};
  record.filesCopied = 2;
  record.errors = 7;
  record.warnings = 1;
  record.firstErrors = {"# ERROR: in Program\\Caf\xE9.src", "# \"quoted\"\t"};
  record.backupFailures = 1;
  EXPECT_EQ(SummaryJson(record, 1, false, {"/l/Vantrel.log", "/l/Vantrel-backup-x"}),
            "{\n"
            "  \"schemaVersion\": 1,\n"
            "  \"kind\": \"summary\",\n"
            "  \"verdict\": \"done-with-errors\",\n"
            "  \"exitCode\": 1,\n"
            "  \"dryRun\": false,\n"
            "  \"stoppedBy\": null,\n"
            "  \"migration\": true,\n"
            "  \"counts\": {\"systemFilesUpgraded\": 1, \"systemFilesNotUpgraded\": 1, "
            "\"userFilesUpgraded\": 1, \"userFilesUnchanged\": 1, \"filesCopied\": 2, "
            "\"errors\": 7, \"warnings\": 1, \"changesNotMade\": 1},\n"
            "  \"userFilesUnchanged\": [\"Program\\\\Caf\xC3\xA9.src\"],\n"
            "  \"firstErrors\": [\"# ERROR: in Program\\\\Caf\xC3\xA9.src\", "
            "\"# \\\"quoted\\\"\\u0009\"],\n"
            "  \"cause\": null,\n"
            "  \"log\": \"/l/Vantrel.log\",\n"
            "  \"backup\": \"/l/Vantrel-backup-x\"\n"
            "}\n");
}

TEST(SummaryJson, ThePlanCarriesTheSchemaVersionAndUtf8Names) {
  RunRecord record = Opened();
  record.userFilesUpgraded = {"Program\\Caf\xE9.src"};
  const std::string json = PlanJson(record, platform::WouldDo());
  EXPECT_EQ(json.rfind(
                "{\n  \"schemaVersion\": 1,\n  \"kind\": \"plan\",\n  \"verdict\": \"done\",\n", 0),
            0u)
      << json;
  EXPECT_NE(json.find("{\"name\": \"Program\\\\Caf\xC3\xA9.src\", \"result\": \"upgraded\", "
                      "\"verdict\": \"would be upgraded\"}"),
            std::string::npos)
      << json;
  // The text plan keeps the bytes.
  EXPECT_NE(
      PlanText(record, platform::WouldDo()).find("  Program\\Caf\xE9.src: would be upgraded\n"),
      std::string::npos);
}

TEST(SummaryJson, ARunThatWaitedForTheLockInVainIsLocked) {
  testenv::ScratchDrive drive;
  testenv::LayEmptyInstallations(drive);
  platform::FileLock other;
  bool acquired = false;
  ASSERT_TRUE(other.TryAcquire("C:\\PROG\\Vantrel\\Vantrel.lock", acquired).ok && acquired);
  testenv::BatchRun run(testenv::kProgramFolder);
  run.context.LockWaitSeconds = 0;
  testing::internal::CaptureStderr();
  EXPECT_EQ(run.Run(testenv::kRunCommand), 1);
  testing::internal::GetCapturedStderr();
  EXPECT_STREQ(RunVerdict(run.context.Record), "locked");
  EXPECT_FALSE(drive.Exists("C:\\QVD\\ROBOTER\\LOG\\Vantrel.log"));
}

// A whole run over the samples with a user file whose name is Latin-1.
TEST(SummaryJson, TheProgramWritesTheSummaryOfARealRun) {
  testenv::ScratchDrive drive;
  testenv::LaySamples(drive, testenv::kProgramFolder);
  drive.Write(testenv::kOldInstallation + "\\Program\\Caf\xE9.src", ";FOLD a\r\n");
  const std::string program = drive.Host("C:\\PROG\\" + testenv::ProgramFileName());
  const std::string file = drive.Host("C:\\summary.json");
  std::string output;
  platform::RunResult result = platform::RunAndCapture(
      program, "-q --summary-json " + file + " " + testenv::kRunCommand, output);
  ASSERT_TRUE(result.started);
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(output, "");
  std::ifstream in(file, std::ios::binary);
  std::stringstream json;
  json << in.rdbuf();
  const std::string text = json.str();
  EXPECT_EQ(text.rfind("{\n  \"schemaVersion\": 1,\n  \"kind\": \"summary\",\n"
                       "  \"verdict\": \"done-with-errors\",\n  \"exitCode\": 1,\n",
                       0),
            0u)
      << text;
  EXPECT_NE(text.find("\"Program\\\\Caf\xC3\xA9.src\""), std::string::npos) << text;
  std::string log;  // as a JSON string holds it
  for (char c : platform::HostPath("C:\\QVD\\ROBOTER\\LOG\\Vantrel.log"))
    log += c == '\\' ? std::string("\\\\") : std::string(1, c);
  EXPECT_NE(text.find("\"log\": \"" + log + "\""), std::string::npos) << text;
}

TEST(SummaryJson, ARunThatCannotStartStillWritesItsSummary) {
  testenv::ScratchDrive drive;
  testenv::LayEmptyInstallations(drive);
  const std::string program = drive.Host("C:\\PROG\\" + testenv::ProgramFileName());
  const std::string file = drive.Host("C:\\summary.json");
  std::string output;
  platform::RunResult result =
      platform::RunAndCapture(program, "--summary-json=" + file + " C:\\A\\R1|C:\\B\\R1", output);
  EXPECT_EQ(result.exitCode, 1);
  std::ifstream in(file, std::ios::binary);
  std::stringstream json;
  json << in.rdbuf();
  EXPECT_NE(json.str().find("  \"verdict\": \"not-started\",\n"), std::string::npos) << json.str();
  EXPECT_NE(
      json.str().find("  \"firstErrors\": [\"# Can not find path: C:\\\\A\\\\R1\\\\System\"],\n"),
      std::string::npos)
      << json.str();
}

}  // namespace
