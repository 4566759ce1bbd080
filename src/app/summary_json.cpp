#include "app/summary_json.h"

#include <vector>

#include "app/json_text.h"
#include "core/run_state.h"

namespace {

std::string Flag(bool value) { return value ? "true" : "false"; }

std::string Counts(const RunRecord& record) {
  int upgraded = 0;
  for (const RunRecord::Verdict& verdict : record.systemFiles) upgraded += verdict.done ? 1 : 0;
  const int notUpgraded = static_cast<int>(record.systemFiles.size()) - upgraded;
  return std::string("{") + "\"systemFilesUpgraded\": " + std::to_string(upgraded) +
         ", \"systemFilesNotUpgraded\": " + std::to_string(notUpgraded) +
         ", \"userFilesUpgraded\": " + std::to_string(record.userFilesUpgraded.size()) +
         ", \"userFilesUnchanged\": " + std::to_string(record.userFilesUnchanged.size()) +
         ", \"filesCopied\": " + std::to_string(record.filesCopied) +
         ", \"errors\": " + std::to_string(record.errors) +
         ", \"warnings\": " + std::to_string(record.warnings) +
         ", \"changesNotMade\": " + std::to_string(record.backupFailures) + "}";
}

}  // namespace

const char* RunVerdict(const RunRecord& record) {
  if (record.locked) return "locked";
  if (!record.stoppedBy.empty()) return "stopped";
  if (!record.logOpened || record.aborted) return "not-started";
  return record.errors > 0 ? "done-with-errors" : "done";
}

std::string SummaryJson(const RunRecord& record, int exitCode, bool dryRun,
                        const SummaryPaths& paths) {
  return std::string("{\n") + "  \"schemaVersion\": " + std::to_string(kJsonSchemaVersion) + ",\n" +
         "  \"kind\": \"summary\",\n" + "  \"verdict\": \"" + RunVerdict(record) + "\",\n" +
         "  \"exitCode\": " + std::to_string(exitCode) + ",\n" + "  \"dryRun\": " + Flag(dryRun) +
         ",\n" + "  \"stoppedBy\": " + JsonStringOrNull(record.stoppedBy) + ",\n" +
         "  \"migration\": " + Flag(record.migrationRun) + ",\n" +
         "  \"counts\": " + Counts(record) + ",\n" +
         "  \"userFilesUnchanged\": " + JsonStringList(record.userFilesUnchanged) + ",\n" +
         "  \"firstErrors\": " + JsonStringList(record.firstErrors) + ",\n" +
         "  \"cause\": " + JsonStringOrNull(record.startCause) + ",\n" +
         "  \"log\": " + JsonStringOrNull(paths.log) + ",\n" +
         "  \"backup\": " + JsonStringOrNull(paths.backup) + "\n" + "}\n";
}
