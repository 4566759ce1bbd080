// The entry of the upgrade program.

#include <algorithm>
#include <clocale>
#include <string>

#include "app/command_line.h"
#include "app/dry_run.h"
#include "app/run_lock.h"
#include "app/startup.h"
#include "app/summary.h"
#include "app/summary_json.h"
#include "core/context.h"
#include "core/echo_log.h"
#include "log/log_library.h"
#include "platform/platform.h"
#include "ui/terminal_dialog.h"
#include "ui/terminal_progress.h"
#include "undo/rollback.h"
#include "version.h"

#ifdef _WIN32
#include "app/win32/windows_start.h"
#endif

namespace {

// The usage names the options once; the examples and the quoting are
// those of the shell the program is started from.
const char* kOptions =
    "  -n, --dry-run       change nothing, write no log: the plan of the run goes\n"
    "                      to standard output (--format=json: as one JSON document)\n"
    "  --no-backup         keep no backup of what the run changes\n"
    "  --summary-json FILE write the result of the run (or the plan) as JSON to FILE\n"
    "  -q, --quiet         no progress, no summary\n"
    "  -v, --verbose       the log's lines on standard error as they are written\n"
    "  --rollback FOLDER   put the destination back as it was before the run whose\n"
    "                      backup FOLDER is; --force also where changed since\n"
    "  -h, --help          this text;  --version  the version\n"
    "Exit code 0: done without errors; 1: errors (see the log), or the run could\n"
    "not start; 2: a mistake in the command line.\n";

#ifdef _WIN32
const char* kUsage =
    "usage: vantrel.exe [OPTIONS] SOURCE|DESTINATION\n"
    "       vantrel.exe --rollback BACKUP-FOLDER [--force]\n"
    "\n"
    "Carries the customer's work from the old installation SOURCE into the\n"
    "new installation DESTINATION. In cmd.exe write the bar as ^| or put the\n"
    "pair in quotation marks:\n"
    "  vantrel.exe C:\\QVD_OLDINST\\QVD\\R1^|C:\\QVD\\ROBOTER\\QVD\\R1\n"
    "  vantrel.exe \"C:\\QVD_OLDINST\\QVD\\R1|C:\\QVD\\ROBOTER\\QVD\\R1\"\n"
    "Quotation marks are removed and / is read as \\. Without arguments the\n"
    "settings dialog opens.\n";
#else
const char* kUsage =
    "usage: vantrel [OPTIONS] SOURCE|DESTINATION\n"
    "       vantrel --rollback BACKUP-FOLDER [--force]\n"
    "\n"
    "Carries the customer's work from the old installation SOURCE into the\n"
    "new installation DESTINATION, for example\n"
    "  vantrel 'C:\\QVD_OLDINST\\QVD\\R1|C:\\QVD\\ROBOTER\\QVD\\R1'\n"
    "Without arguments on a terminal it shows the settings dialog there.\n"
    "Drive X: is the folder named by VANTREL_DRIVE_X (C: defaults to\n"
    "$HOME/.vantrel/c); a path that begins with / is a host path.\n";
#endif

std::string UsageText() { return std::string(kUsage) + "\nOptions:\n" + kOptions; }

std::string VersionText() {
  return std::string(vantrel::kProductName) + " " + std::to_string(vantrel::kVersionMajor) + "." +
         std::to_string(vantrel::kVersionMinor) + "." + std::to_string(vantrel::kVersionRevision) +
         "\n";
}

std::string Indented(const std::string& lines) {
  std::string text;
  std::size_t start = 0;
  while (start < lines.size()) {
    std::size_t end = lines.find('\n', start);
    if (end == std::string::npos) end = lines.size() - 1;
    text += "  " + lines.substr(start, end + 1 - start);
    start = end + 1;
  }
  return text;
}

int RollBackCommand(const std::string& folder, bool force) {
  RollbackReport report;
  const int exitCode = RollBack(folder, force, report, RollbackLock());
  platform::WriteStdout(report.lines);
  platform::WriteStderr(report.messages);
  return exitCode;
}

// Help, version and mistakes: nothing else is touched. Returns the exit
// code, or -1 when the command line asks for a run or the dialog.
int AnswerWithoutRun(const CommandLine& line) {
  switch (line.mode) {
    case CommandMode::kHelp:
      platform::WriteStdout(UsageText());
      return 0;
    case CommandMode::kVersion:
      platform::WriteStdout(VersionText());
      return 0;
    case CommandMode::kMistake:
      platform::WriteStderr("vantrel: " + line.error + "\n");
      return 2;
    default:
      return -1;
  }
}

// Writes the JSON summary where the command line asked for one. A script
// that asked for it must not take a missing one for success: a summary
// that cannot be written makes the exit code 1.
int WithSummaryFile(const CommandLine& line, const RunRecord& record, const std::string& logPath,
                    int exitCode) {
  if (line.summaryJson.empty()) return exitCode;
  SummaryPaths paths;
  if (!logPath.empty() && platform::FileExists(logPath)) paths.log = platform::HostPath(logPath);
  if (!record.backupFolder.empty()) paths.backup = platform::HostPath(record.backupFolder);
  const std::string json = SummaryJson(record, exitCode, line.dryRun, paths);
  if (platform::Status status = platform::WriteFileAtomic(line.summaryJson, json); !status) {
    platform::WriteStderr("vantrel: the summary cannot be written to " +
                          platform::HostPath(line.summaryJson) + ": " + status.reason + "\n");
    return 1;
  }
  return exitCode;
}

}  // namespace

int main(int argc, char** argv) {
  // Without the user's locale the log's date and time take the C locale's
  // form; nothing else depends on it.
  (void)std::setlocale(LC_TIME, "");
  platform::IgnoreFileSizeSignal();
#ifdef _WIN32
  ConnectToTheStartingConsole();
#endif
  const CommandLine line = ParseCommandLine(platform::CommandLineText(argc, argv));
  if (int exitCode = AnswerWithoutRun(line); exitCode >= 0) return exitCode;
  if (line.mode == CommandMode::kRollback) return RollBackCommand(line.paths, line.force);
  // From here on Ctrl-C, a termination and the console's close stop the
  // run between two of its steps instead of cutting it off anywhere.
  platform::CatchStopRequests();
  [[maybe_unused]] const bool interactive = line.mode == CommandMode::kDialog;
#ifndef _WIN32
  if (interactive && !platform::ConsoleIsTerminal()) {
    // Nobody to answer the settings dialog.
    platform::WriteStderr(UsageText());
    return 2;
  }
#endif

  Context context;
  context.ProgramFolder = platform::ProgramFolder();
  context.ProgramName = platform::ProgramName();
  context.CommandLine = line.paths;
  context.KeepBackup = line.keepBackup;
  if (line.verbose)
    context.EchoLogLine = [](const std::string& logLine) { platform::WriteStderr(logLine + "\n"); };
  if (line.dryRun) {
    std::string plan;
    int exitCode = RunDry(context, line.json ? PlanFormat::kJson : PlanFormat::kText, plan);
    platform::WriteStdout(plan);
    return WithSummaryFile(line, context.Record, "", exitCode);
  }
  LumoLibrary lumo;
  if (platform::Status status = lumo.LoadBesideProgram(); !status) {
    const std::string message =
        "vantrel: cannot load the log library " +
        platform::HostPathBesideProgram(platform::LogLibraryFileName()) + ": " + status.reason +
        "\n";
#ifdef _WIN32
    TellStartFailure(message);
#else
    platform::WriteStderr(message);
#endif
    return WithSummaryFile(line, context.Record, "", 1);
  }
  RunLogLibrary log(lumo, context.EchoLogLine);
  context.Lumo = log.get();
#ifdef _WIN32
  // The settings dialog and the progress window are real windows here; an
  // interactive run shows its summary in its end message.
  int exitCode = RunWithWindows(context, !line.quiet);
  if (interactive) return exitCode;
#else
  // The log's lines on the same stream would tear the updating line.
  if (!line.quiet && !line.verbose) AttachTerminalProgress(context.StdForm);

  if (interactive) {
    StartInteractive(context);
    Console console = TerminalConsole();
    console.Summary = [&context] { return RunSummary(context.Record, context.LogFilePath); };
    return RunTerminalDialog(context, console);
  }
  int exitCode = RunBatch(context);
  context.StdForm.Hide();
#endif
  if (context.Record.logOpened && !line.quiet)
    platform::WriteStderr("vantrel: summary of the run\n" +
                          Indented(RunSummary(context.Record, context.LogFilePath)));
  return WithSummaryFile(line, context.Record, context.LogFilePath, exitCode);
}
