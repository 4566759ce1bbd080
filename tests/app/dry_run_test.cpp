// The dry run over the sample installations: its plan, that it changes
// nothing, and that the real run then does what it planned.

#include "app/dry_run.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>

#include "core/context.h"
#include "platform/platform.h"
#include "support/test_env.h"
#include "support/tree_snapshot.h"

namespace fs = std::filesystem;

namespace {

using testenv::BatchRun;
using testenv::ScratchDrive;
using Lines = std::vector<std::string>;

const std::string kExpected = std::string(VANTREL_SOURCE_DIR) + "/examples/expected";
const std::string kCommand = "C:\\QVD_OLDINST\\QVD\\R1|C:\\QVD\\ROBOTER\\QVD\\R1";
const std::string kProgram = "C:\\PROG";

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool Updating() { return std::getenv("VANTREL_UPDATE_EXPECTED") != nullptr; }

class DryRun : public ::testing::Test {
 protected:
  void SetUp() override { testenv::LaySamples(drive, kProgram); }
  std::string Plan(PlanFormat format, int& code) {
    BatchRun run(kProgram);
    run.context.CommandLine = kCommand;
    std::string plan;
    code = RunDry(run.context, format, plan);
    return plan;
  }
  void ExpectGolden(const std::string& plan, const std::string& file) {
    if (Updating()) {
      std::ofstream(kExpected + "/" + file, std::ios::binary | std::ios::trunc) << plan;
      GTEST_SKIP() << "expected plan written";
    }
    std::string expected = ReadText(kExpected + "/" + file);
    // Where folders keep no read-only bit (testenv::Comparable), the
    // samples' one read-only folder, Program\Locked, needs no change.
    if (testenv::Comparable(platform::kFolder | platform::kReadOnly) == platform::kFolder)
      expected = std::regex_replace(expected, std::regex("(ttribute ?[Cc]hanges\"?: )3"), "$012");
    EXPECT_EQ(plan, expected);
  }

  ScratchDrive drive;
};

TEST_F(DryRun, PlanOfTheSamples) {
  int code = 0;
  std::string plan = Plan(PlanFormat::kText, code);
  EXPECT_EQ(code, 1);  // the two user files whose folds do not pair up
  ExpectGolden(plan, "plan.txt");
}

TEST_F(DryRun, PlanOfTheSamplesAsJson) {
  int code = 0;
  ExpectGolden(Plan(PlanFormat::kJson, code), "plan.json");
}

TEST_F(DryRun, ChangesNothingWritesNoLogAndStartsNoExchangeProgram) {
  testenv::TreeSnapshot before = testenv::Snapshot(drive.root());
  int code = 0;
  Plan(PlanFormat::kText, code);
  // The exchange program would have left its saved folds in the control
  // folder, and the log would stand in LOG: the whole drive is compared.
  EXPECT_EQ(testenv::FirstDifference(before, testenv::Snapshot(drive.root())), "");
  EXPECT_FALSE(drive.Exists("C:\\QVD\\ROBOTER\\LOG\\Vantrel.log"));
}

TEST_F(DryRun, AnOldReadOnlyLogIsNeitherTouchedNorCountedAsAChange) {
  int code = 0;
  std::string without = Plan(PlanFormat::kText, code);
  drive.Write("C:\\QVD\\ROBOTER\\LOG\\Vantrel.log", "old\r\n");
  fs::permissions(drive.Host("C:\\QVD\\ROBOTER\\LOG\\Vantrel.log"), fs::perms::owner_read);
  EXPECT_EQ(Plan(PlanFormat::kText, code), without);
  EXPECT_EQ(drive.Read("C:\\QVD\\ROBOTER\\LOG\\Vantrel.log"), "old\r\n");
  const fs::perms perms = fs::status(drive.Host("C:\\QVD\\ROBOTER\\LOG\\Vantrel.log")).permissions();
  EXPECT_EQ(perms & fs::perms::owner_write, fs::perms::none);
#ifndef _WIN32
  EXPECT_EQ(perms, fs::perms::owner_read);  // Windows shows a read-only file as read by all
#endif
}

TEST_F(DryRun, TheRealRunDoesWhatThePlanSays) {
  BatchRun dry(kProgram);
  dry.context.CommandLine = kCommand;
  std::string plan;
  int planned = 0;
  Lines folders;
  planned = RunDry(dry.context, PlanFormat::kText, plan);
  RunRecord planRecord = dry.context.Record;

  BatchRun real(kProgram);
  EXPECT_EQ(real.Run(kCommand), planned);
  const RunRecord& done = real.context.Record;
  ASSERT_EQ(done.systemFiles.size(), planRecord.systemFiles.size());
  for (std::size_t i = 0; i < done.systemFiles.size(); ++i) {
    EXPECT_EQ(done.systemFiles[i].name, planRecord.systemFiles[i].name);
    EXPECT_EQ(done.systemFiles[i].done, planRecord.systemFiles[i].done);
  }
  EXPECT_EQ(done.migrationRun, planRecord.migrationRun);
  EXPECT_EQ(done.userFilesUpgraded, planRecord.userFilesUpgraded);
  EXPECT_EQ(done.userFilesUnchanged, planRecord.userFilesUnchanged);
  EXPECT_EQ(done.filesCopied, planRecord.filesCopied);
  EXPECT_EQ(done.errors, planRecord.errors);
  EXPECT_EQ(done.warnings, planRecord.warnings);
  // Every folder the plan names was created by the run, in that order.
  for (const std::string& line :
       testenv::ReadLogLines(drive.Host("C:\\QVD\\ROBOTER\\LOG\\Vantrel.log")))
    if (line.rfind(".Creating : ", 0) == 0) folders.push_back(line.substr(12));
  std::string created;
  for (const std::string& folder : folders) created += "  " + folder + "\n";
  EXPECT_NE(plan.find("Folders to create:\n" + created + "Attribute changes: "),
            std::string::npos)
      << plan;
}

}  // namespace

namespace {

// A user program lacking one of the template's folds takes the others: the
// exchange program's step is done, and the run's errors are the plan's.
TEST_F(DryRun, AProgramLackingATemplateFoldIsUpgradedAndThePlanKeepsItsErrors) {
  const std::string program = "C:\\QVD\\ROBOTER\\QVD\\R1\\Program\\NoHome.src";
  drive.Write("C:\\QVD_OLDINST\\QVD\\R1\\Program\\NoHome.src",
              "DEF NOHOME ( )\r\n;FOLD INI\r\n;FOLD SYSTEM INI\r\n old ini\r\n;ENDFOLD\r\n"
              ";FOLD USER INI\r\n mine\r\n;ENDFOLD\r\n;ENDFOLD\r\nEND\r\n");
  int planned = 0;
  BatchRun dry(kProgram);
  dry.context.CommandLine = kCommand;
  std::string plan;
  planned = RunDry(dry.context, PlanFormat::kText, plan);

  BatchRun real(kProgram);
  EXPECT_EQ(real.Run(kCommand), planned);
  EXPECT_EQ(real.context.Record.errors, dry.context.Record.errors);
  const std::string upgraded = drive.Read(program);
  EXPECT_NE(upgraded.find("COLLISION_CHECK(1)"), std::string::npos) << upgraded;
  EXPECT_NE(upgraded.find(" mine\r\n"), std::string::npos) << upgraded;
  EXPECT_EQ(upgraded.find(" old ini"), std::string::npos) << upgraded;
}

}  // namespace
