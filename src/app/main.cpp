// The entry of the upgrade program.

#include <clocale>
#include <string>

#include "app/context.h"
#include "app/startup.h"
#include "log/log_library.h"
#include "platform/platform.h"
#include "ui/terminal_dialog.h"
#include "ui/terminal_progress.h"
#include "version.h"

#ifdef _WIN32
#include "ui/win32/windows_ui.h"
#endif

namespace {

const char* kUsage =
    "usage: vantrel SOURCE|DESTINATION\n"
    "\n"
    "Carries the customer's work from the old installation SOURCE into the\n"
    "new installation DESTINATION, for example\n"
    "  vantrel 'C:\\QVD_OLDINST\\QVD\\R1|C:\\QVD\\ROBOTER\\QVD\\R1'\n"
    "Exit code 0: done without errors; 1: errors (see the log); 2: usage.\n"
    "Without arguments on a terminal it shows the settings dialog there.\n"
    "Drive X: is the folder named by VANTREL_DRIVE_X (C: defaults to\n"
    "$HOME/.vantrel/c); a path that begins with / is a host path.\n";

std::string VersionText() {
  return std::string(vantrel::kProductName) + " " + std::to_string(vantrel::kVersionMajor) + "." +
         std::to_string(vantrel::kVersionMinor) + "." + std::to_string(vantrel::kVersionRevision) +
         "\n";
}

}  // namespace

int main(int argc, char** argv) {
  std::setlocale(LC_TIME, "");
  std::string commandLine = platform::CommandLineText(argc, argv);
  if (commandLine == "--help") {
    platform::WriteStdout(kUsage);
    return 0;
  }
  if (commandLine == "--version") {
    platform::WriteStdout(VersionText());
    return 0;
  }
  [[maybe_unused]] bool interactive = commandLine.empty();
#ifndef _WIN32
  if (interactive && !platform::ConsoleIsTerminal()) {
    // Nobody to answer the settings dialog.
    platform::WriteStderr(kUsage);
    return 2;
  }
#endif

  Context context;
  context.ProgramFolder = platform::ProgramFolder();
  context.ProgramName = platform::ProgramName();
  context.CommandLine = commandLine;
  LumoLibrary lumo;
  if (platform::Status status = lumo.Load(context.ProgramFolder); !status) {
    platform::WriteStderr("vantrel: cannot load the log library " +
                          platform::HostPath(context.ProgramFolder + "\\" +
                                             platform::LogLibraryFileName()) +
                          ": " + status.reason + "\n");
    return 1;
  }
  context.Lumo = &lumo;
#ifdef _WIN32
  // The settings dialog and the progress window are real windows here.
  return RunWithWindows(context);
#else
  AttachTerminalProgress(context.StdForm);

  if (interactive) {
    StartInteractive(context);
    Console console{platform::ReadStdinLine, platform::WriteStdout};
    return RunTerminalDialog(context, console);
  }
  int exitCode = RunBatch(context);
  context.StdForm.Hide();
  if (!context.LogFilePath.empty() && platform::FileExists(context.LogFilePath))
    platform::WriteStderr("vantrel: log: " + platform::HostPath(context.LogFilePath) + "\n");
  return exitCode;
#endif
}
