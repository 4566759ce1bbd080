#include "app/plan.h"

#include <vector>

#include "app/json_text.h"
#include "app/summary_json.h"
#include "core/run_state.h"
#include "platform/platform.h"

namespace {

std::string Checks(const RunRecord& record) {
  return record.aborted ? "failed: " + record.lastError : std::string("passed");
}

std::string VerdictText(const RunRecord::Verdict& verdict, const char* done) {
  return verdict.done ? std::string(done) : verdict.why;
}

std::string Lines(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += "  " + item + "\n";
  return text;
}

std::string Verdicts(const std::vector<RunRecord::Verdict>& verdicts, const char* done) {
  std::string text;
  for (const RunRecord::Verdict& verdict : verdicts)
    text += "  " + verdict.name + ": " + VerdictText(verdict, done) + "\n";
  return text;
}

// Each verdict as its text and as one fixed word for scripts.
std::string JsonVerdicts(const std::vector<RunRecord::Verdict>& verdicts, const char* done,
                         const char* doneWord, const char* notDoneWord) {
  std::string text = "[";
  for (const RunRecord::Verdict& verdict : verdicts)
    text += std::string(text.size() > 1 ? ", " : "") + "{\"name\": " + JsonString(verdict.name) +
            ", \"result\": \"" + (verdict.done ? doneWord : notDoneWord) +
            "\", \"verdict\": " + JsonString(VerdictText(verdict, done)) + "}";
  return text + "]";
}

// The fault as the log line tells it, without the mark of its kind.
std::string FaultText(const std::string& line) {
  if (line.empty()) return "its folds do not pair up";
  std::size_t start = line.find_first_not_of("# ");
  return start == std::string::npos ? line : line.substr(start);
}

std::vector<RunRecord::Verdict> UserFileVerdicts(const RunRecord& record) {
  std::vector<RunRecord::Verdict> verdicts;
  for (const std::string& file : record.userFilesUpgraded) verdicts.push_back({file, true, ""});
  for (std::size_t i = 0; i < record.userFilesUnchanged.size(); ++i) {
    const std::string fault =
        i < record.userFileFaults.size() ? record.userFileFaults[i] : std::string();
    verdicts.push_back({record.userFilesUnchanged[i], false, "copied unchanged: " + FaultText(fault)});
  }
  return verdicts;
}

std::string AxisList(const std::vector<int>& axes) {
  std::string text;
  for (int axis : axes) text += (text.empty() ? "" : ", ") + std::to_string(axis);
  return text;
}

std::string MigrationText(const RunRecord& record) {
  if (!record.migrationRun) return "would not run";
  if (record.migrationAxes.empty()) return "would run, for no external axis";
  return std::string("would run, for external ") +
         (record.migrationAxes.size() == 1 ? "axis " : "axes ") + AxisList(record.migrationAxes);
}

}  // namespace

std::string PlanText(const RunRecord& record, const platform::WouldDo& wouldDo) {
  return "Start and path checks: " + Checks(record) + "\n" + Verdicts(record.checks, "passed") +
         "System files:\n" + Verdicts(record.systemFiles, "would be upgraded") +
         "Migration 5.x to 6.x: " + MigrationText(record) + "\n" +
         "User files:\n" + Verdicts(UserFileVerdicts(record), "would be upgraded") +
         "Files to copy:\n" + Verdicts(record.listedFiles, "would be copied") +
         "Folders to create:\n" + Lines(wouldDo.foldersCreated) +
         "Attribute changes: " + std::to_string(wouldDo.attributeChanges) + "\n" +
         "Files written: " + std::to_string(wouldDo.filesWritten.size()) + "\n" +
         "Exchange program calls: " + std::to_string(wouldDo.programsNotStarted.size()) + "\n" +
         "Errors: " + std::to_string(record.errors) +
         ", warnings: " + std::to_string(record.warnings) + "\n";
}

std::string PlanJson(const RunRecord& record, const platform::WouldDo& wouldDo) {
  return std::string("{\n") +
         "  \"schemaVersion\": " + std::to_string(kJsonSchemaVersion) + ",\n" +
         "  \"kind\": \"plan\",\n" +
         "  \"verdict\": \"" + RunVerdict(record) + "\",\n" +
         "  \"checks\": " + JsonString(Checks(record)) + ",\n" +
         "  \"checkVerdicts\": " + JsonVerdicts(record.checks, "passed", "passed", "failed") + ",\n" +
         "  \"systemFiles\": " +
         JsonVerdicts(record.systemFiles, "would be upgraded", "upgraded", "not-upgraded") + ",\n" +
         "  \"migration\": " + (record.migrationRun ? "true" : "false") + ",\n" +
         "  \"migrationAxes\": [" + AxisList(record.migrationAxes) + "],\n" +
         "  \"userFiles\": " +
         JsonVerdicts(UserFileVerdicts(record), "would be upgraded", "upgraded", "copied-unchanged") +
         ",\n" + "  \"filesToCopy\": " +
         JsonVerdicts(record.listedFiles, "would be copied", "copied", "not-copied") + ",\n" +
         "  \"foldersToCreate\": " + JsonStringList(wouldDo.foldersCreated) + ",\n" +
         "  \"attributeChanges\": " + std::to_string(wouldDo.attributeChanges) + ",\n" +
         "  \"filesWritten\": " + std::to_string(wouldDo.filesWritten.size()) + ",\n" +
         "  \"exchangeCalls\": " + std::to_string(wouldDo.programsNotStarted.size()) + ",\n" +
         "  \"errors\": " + std::to_string(record.errors) + ",\n" +
         "  \"warnings\": " + std::to_string(record.warnings) + "\n" +
         "}\n";
}
