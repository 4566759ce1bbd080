#include "app/summary.h"

#include <cstddef>
#include <vector>

#include "core/run_state.h"
#include "platform/platform.h"

namespace {

// More names than this would bury the counts of a large installation.
constexpr std::size_t kNamesShown = 10;

std::string JoinNames(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) text += (text.empty() ? "" : ", ") + name;
  return text;
}

std::string CountLine(const std::string& what, const std::vector<std::string>& names) {
  std::string line = what + ": " + std::to_string(names.size());
  if (!names.empty()) line += " (" + JoinNames(names) + ")";
  return line + "\n";
}

std::string SystemFileLines(const RunRecord& record) {
  std::vector<std::string> upgraded, notUpgraded;
  for (const RunRecord::Verdict& verdict : record.systemFiles)
    (verdict.done ? upgraded : notUpgraded).push_back(verdict.name);
  return CountLine("System files upgraded", upgraded) +
         CountLine("System files not upgraded", notUpgraded);
}

std::string UnchangedLines(const std::vector<std::string>& files) {
  std::string text = "User files copied unchanged because of fold faults: " +
                     std::to_string(files.size()) + "\n";
  for (std::size_t i = 0; i < files.size() && i < kNamesShown; ++i) text += "  " + files[i] + "\n";
  if (files.size() > kNamesShown)
    text += "  and " + std::to_string(files.size() - kNamesShown) + " more\n";
  return text;
}

// What the summary says of the backup.
std::string BackupText(const RunRecord& record) {
  std::string text = record.backupFolder.empty() ? std::string("none")
                                                 : platform::HostPath(record.backupFolder);
  if (!record.backupProblem.empty()) text += " (" + record.backupProblem + ")";
  if (record.backupFailures > 0)
    text += " (" + std::to_string(record.backupFailures) +
            " changes not made: what they would change could not be kept)";
  return text;
}

// The first errors as the log has them, and their cause where the log
// does not say it plainly.
std::string ErrorLines(const RunRecord& record) {
  std::string text;
  if (!record.firstErrors.empty()) {
    text += "First errors:\n";
    for (const std::string& line : record.firstErrors) text += "  " + line + "\n";
  }
  if (!record.startCause.empty()) text += "Cause: " + record.startCause + "\n";
  return text;
}

}  // namespace

std::string SummaryText(const RunRecord& record, const std::string& logPath,
                        const std::string& backupPath) {
  const std::string stopped =
      record.stoppedBy.empty()
          ? ""
          : "Stopped: " + record.stoppedBy + ", before its end\n";
  return stopped + SystemFileLines(record) +
         "Migration 5.x to 6.x: " + (record.migrationRun ? "run" : "not run") +
         "\n" + "User files upgraded: " +
         std::to_string(record.userFilesUpgraded.size()) + "\n" +
         UnchangedLines(record.userFilesUnchanged) +
         "Files copied: " + std::to_string(record.filesCopied) + "\n" +
         "Errors: " + std::to_string(record.errors) +
         ", warnings: " + std::to_string(record.warnings) + "\n" + ErrorLines(record) +
         "Log: " + logPath + "\n" +
         "Backup: " + (backupPath.empty() ? "none" : backupPath) + "\n";
}

std::string RunSummary(const RunRecord& record, const std::string& logFilePath) {
  std::string logPath =
      platform::FileExists(logFilePath) ? platform::HostPath(logFilePath) : std::string("none");
  return SummaryText(record, logPath, BackupText(record));
}
