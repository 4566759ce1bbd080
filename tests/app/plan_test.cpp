// The plan of a run as text and as JSON.

#include "app/plan.h"

#include <gtest/gtest.h>

#include "core/run_state.h"
#include "platform/platform.h"

namespace {

TEST(Plan, AFailedStartNamesItsErrorAndJsonEscapesNames) {
  RunRecord record;
  record.aborted = true;
  record.lastError = "# Can not find path: C:\\\"A\"";
  record.errors = 1;
  record.listedFiles = {{"x\ty", false, "not copied"}};
  platform::WouldDo wouldDo;
  EXPECT_EQ(PlanText(record, wouldDo),
            "Start and path checks: failed: # Can not find path: C:\\\"A\"\n"
            "System files:\n"
            "Migration 5.x to 6.x: would not run\n"
            "User files:\n"
            "Files to copy:\n"
            "  x\ty: not copied\n"
            "Folders to create:\n"
            "Attribute changes: 0\n"
            "Files written: 0\n"
            "Exchange program calls: 0\n"
            "Errors: 1, warnings: 0\n");
  std::string json = PlanJson(record, wouldDo);
  EXPECT_NE(json.find("\"checks\": \"failed: # Can not find path: C:\\\\\\\"A\\\"\",\n"),
            std::string::npos)
      << json;
  EXPECT_NE(json.find("[{\"name\": \"x\\u0009y\", \"result\": \"not-copied\", \"verdict\": "
                      "\"not copied\"}]"),
            std::string::npos)
      << json;
}

}  // namespace

namespace {

TEST(Plan, NamesTheMigratedAxesAndTheFirstFaultOfEachUnchangedFile) {
  RunRecord record;
  record.migrationRun = true;
  record.migrationAxes = {2};
  record.userFilesUnchanged = {"a.src", "b.src"};
  record.userFileFaults = {"# ERROR: there is no ';FOLD' statement for the ';ENDFOLD' in line 4", ""};
  platform::WouldDo wouldDo;
  const std::string text = PlanText(record, wouldDo);
  EXPECT_NE(text.find("Migration 5.x to 6.x: would run, for external axis 2\n"), std::string::npos)
      << text;
  EXPECT_NE(text.find("  a.src: copied unchanged: ERROR: there is no ';FOLD' statement for the "
                      "';ENDFOLD' in line 4\n"
                      "  b.src: copied unchanged: its folds do not pair up\n"),
            std::string::npos)
      << text;
  EXPECT_NE(PlanJson(record, wouldDo).find("\"migrationAxes\": [2],\n"), std::string::npos);
  record.migrationAxes.clear();
  EXPECT_NE(PlanText(record, wouldDo).find("Migration 5.x to 6.x: would run, for no external axis\n"),
            std::string::npos);
}

}  // namespace

namespace {

TEST(Plan, ListsEachStartAndPathCheckWithItsVerdict) {
  RunRecord record;
  record.aborted = true;
  record.lastError = "# Can not find path: C:\\PROG\\Vantrel\\";
  record.checks = {{"Exchange program", true, ""},
                   {"Control folder", false, "failed: # Can not find path: C:\\PROG\\Vantrel\\"}};
  platform::WouldDo wouldDo;
  const std::string text = PlanText(record, wouldDo);
  EXPECT_EQ(text.rfind("Start and path checks: failed: # Can not find path: C:\\PROG\\Vantrel\\\n"
                       "  Exchange program: passed\n"
                       "  Control folder: failed: # Can not find path: C:\\PROG\\Vantrel\\\n"
                       "System files:\n",
                       0),
            0u)
      << text;
}

}  // namespace
