// The entry of the upgrade program.

#include <algorithm>
#include <clocale>
#include <string>

#include "core/context.h"
#include "app/dry_run.h"
#include "app/run_lock.h"
#include "undo/rollback.h"
#include "app/startup.h"
#include "app/summary.h"
#include "log/log_library.h"
#include "platform/platform.h"
#include "ui/terminal_dialog.h"
#include "ui/terminal_progress.h"
#include "version.h"

#ifdef _WIN32
#include "app/win32/windows_start.h"
#endif

namespace {

const char* kUsage =
    "usage: vantrel [--no-backup | --dry-run [--format=json]] SOURCE|DESTINATION\n"
    "       vantrel --rollback BACKUP-FOLDER [--force]\n"
    "\n"
    "Carries the customer's work from the old installation SOURCE into the\n"
    "new installation DESTINATION, for example\n"
    "  vantrel 'C:\\QVD_OLDINST\\QVD\\R1|C:\\QVD\\ROBOTER\\QVD\\R1'\n"
    "With --dry-run nothing is changed and no log is written: the plan of the\n"
    "run goes to standard output, as text or as one JSON document.\n"
    "A run keeps what it changes in a backup folder beside its log (not with\n"
    "--no-backup); --rollback puts the destination back as it was before that\n"
    "run, leaving what was changed since unless --force is given.\n"
    "Exit code 0: done without errors; 1: errors (see the log); 2: usage.\n"
    "Without arguments on a terminal it shows the settings dialog there.\n"
    "Drive X: is the folder named by VANTREL_DRIVE_X (C: defaults to\n"
    "$HOME/.vantrel/c); a path that begins with / is a host path.\n";

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

// Takes a trailing option off the argument text.
bool TakeLastOption(std::string& text, const std::string& option) {
  if (text.size() < option.size() + 1 ||
      text.compare(text.size() - option.size() - 1, std::string::npos, " " + option) != 0)
    return false;
  text.erase(text.size() - option.size() - 1);
  return true;
}

int RollBackCommand(std::string folder, bool force) {
  force = TakeLastOption(folder, "--force") || force;
  while (!folder.empty() && folder.back() == ' ') folder.pop_back();
  if (folder.empty()) {
    platform::WriteStderr(kUsage);
    return 2;
  }
  RollbackReport report;
  const int exitCode = RollBack(folder, force, report, RollbackLock());
  platform::WriteStdout(report.lines);
  platform::WriteStderr(report.messages);
  return exitCode;
}

// Takes a leading option off the argument text.
bool TakeOption(std::string& text, const std::string& option) {
  if (text.rfind(option, 0) != 0) return false;
  if (text.size() > option.size() && text[option.size()] != ' ') return false;
  text.erase(0, std::min(text.size(), option.size() + 1));
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  // Without the user's locale the log's date and time take the C locale's
  // form; nothing else depends on it.
  (void)std::setlocale(LC_TIME, "");
  platform::IgnoreFileSizeSignal();
  std::string commandLine = platform::CommandLineText(argc, argv);
  if (commandLine == "--help") {
    platform::WriteStdout(kUsage);
    return 0;
  }
  if (commandLine == "--version") {
    platform::WriteStdout(VersionText());
    return 0;
  }
  if (TakeOption(commandLine, "--rollback")) {
    // --force may stand before the folder or after it.
    const bool forceFirst = TakeOption(commandLine, "--force");
    return RollBackCommand(commandLine, forceFirst);
  }
  // From here on Ctrl-C, a termination and the console's close stop the
  // run between two of its steps instead of cutting it off anywhere.
  platform::CatchStopRequests();
  const bool keepBackup = !TakeOption(commandLine, "--no-backup");
  const bool dryRun = TakeOption(commandLine, "--dry-run");
  const bool json = dryRun && TakeOption(commandLine, "--format=json");
  [[maybe_unused]] bool interactive = commandLine.empty() && !dryRun;
#ifdef _WIN32
  const bool nobodyToAsk = commandLine.empty() && dryRun;
#else
  const bool nobodyToAsk = commandLine.empty() && (dryRun || !platform::ConsoleIsTerminal());
#endif
  if (nobodyToAsk) {
    // Nobody to answer the settings dialog.
    platform::WriteStderr(kUsage);
    return 2;
  }

  Context context;
  context.ProgramFolder = platform::ProgramFolder();
  context.ProgramName = platform::ProgramName();
  context.CommandLine = commandLine;
  context.KeepBackup = keepBackup;
  if (dryRun) {
    std::string plan;
    int exitCode = RunDry(context, json ? PlanFormat::kJson : PlanFormat::kText, plan);
    platform::WriteStdout(plan);
    return exitCode;
  }
  LumoLibrary lumo;
  if (platform::Status status = lumo.LoadBesideProgram(); !status) {
    platform::WriteStderr(
        "vantrel: cannot load the log library " +
        platform::HostPathBesideProgram(platform::LogLibraryFileName()) + ": " +
        status.reason + "\n");
    return 1;
  }
  context.Lumo = &lumo;
#ifdef _WIN32
  // The settings dialog and the progress window are real windows here; an
  // interactive run shows its summary in its end message.
  int exitCode = RunWithWindows(context);
  if (interactive) return exitCode;
#else
  AttachTerminalProgress(context.StdForm);

  if (interactive) {
    StartInteractive(context);
    Console console = TerminalConsole();
    console.Summary = [&context] { return RunSummary(context.Record, context.LogFilePath); };
    return RunTerminalDialog(context, console);
  }
  int exitCode = RunBatch(context);
  context.StdForm.Hide();
#endif
  if (context.Record.logOpened)
    platform::WriteStderr("vantrel: summary of the run\n" +
                          Indented(RunSummary(context.Record, context.LogFilePath)));
  return exitCode;
}
