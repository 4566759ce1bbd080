// The entry of the upgrade program.

#include <clocale>
#include <string>

#include "app/context.h"
#include "app/startup.h"
#include "log/log_library.h"
#include "platform/platform.h"
#include "ui/terminal_progress.h"
#include "version.h"

namespace {

const char* kUsage =
    "usage: vantrel SOURCE|DESTINATION\n"
    "\n"
    "Carries the customer's work from the old installation SOURCE into the\n"
    "new installation DESTINATION, for example\n"
    "  vantrel 'C:\\QVD_OLDINST\\QVD\\R1|C:\\QVD\\ROBOTER\\QVD\\R1'\n"
    "Exit code 0: done without errors; 1: errors (see the log); 2: usage.\n"
    "Drive X: is the folder named by VANTREL_DRIVE_X (C: defaults to\n"
    "$HOME/.vantrel/c); a path that begins with / is a host path.\n";

std::string VersionText() {
  return std::string(vantrel::kProductName) + " " + std::to_string(vantrel::kVersionMajor) + "." +
         std::to_string(vantrel::kVersionMinor) + "." + std::to_string(vantrel::kVersionRevision) +
         "\n";
}

}  // namespace

int main(int argc, char** argv) {
  // Without the user's locale the log's date and time take the C locale's
  // form; nothing else depends on it.
  (void)std::setlocale(LC_TIME, "");
  std::string commandLine = platform::CommandLineText(argc, argv);
  if (commandLine == "--help") {
    platform::WriteStdout(kUsage);
    return 0;
  }
  if (commandLine == "--version") {
    platform::WriteStdout(VersionText());
    return 0;
  }
  if (commandLine.empty()) {
    // The settings dialog needs a window system this build does not have.
    platform::WriteStderr(kUsage);
    return 2;
  }

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
  AttachTerminalProgress(context.StdForm);

  int exitCode = RunBatch(context);
  context.StdForm.Hide();
  if (!context.LogFilePath.empty() && platform::FileExists(context.LogFilePath))
    platform::WriteStderr("vantrel: log: " + platform::HostPath(context.LogFilePath) + "\n");
  return exitCode;
}
