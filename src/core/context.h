#pragma once
// The process-wide values of the upgrade program, in one object that is
// passed by reference to every operation that needs them.

#include <functional>
#include <string>

#include "core/carg.h"
#include "core/process_end.h"
#include "core/run_log.h"
#include "core/run_state.h"
#include "core/dialog.h"
#include "core/progress.h"

class LogLibrary;

// Icons of a message box.
enum class MessageIcon { kNone = 0, kCritical = 16, kInformation = 64 };

// The per-run values are the base, so that a run starts afresh by one
// assignment (BeginRunState) while every operation still reads them
// directly on the context.
struct Context : RunState, RunLog {
  // Start-up.
  bool BatchMode = false;
  // How long a run waits for another one using its program folder or its
  // log folder.
  int LockWaitSeconds = 600;
  // Whether a run keeps what it changes, so that it can be rolled back.
  bool KeepBackup = true;
  std::string CommandLine;    // the argument text, as the platform gives it
  std::string ProgramFolder;  // system form, no trailing backslash
  std::string ProgramName;    // the program file's name without extension
  LogLibrary* Lumo = nullptr;
  // Shows a message box and waits until it is closed (interactive mode).
  std::function<void(const std::string& text, MessageIcon icon)> ShowMessageBox;
  // Whether an interactive run's end message carries the run's summary:
  // below the error report, or in a message of its own without errors.
  bool SummaryInEndMessage = false;
  // Shows each log line as it is written (--verbose); unset, nothing. The
  // entrance and the dry run put it between the run and its log library.
  std::function<void(const std::string& line)> EchoLogLine;

  // Installation paths.
  CArg Arg;

  // The windows.
  MainDialog UI;
  ProgressWindow StdForm;

  // Forgets everything an earlier run left behind.
  void BeginRunState() { static_cast<RunState&>(*this) = RunState(); }

  // The log, through the log library.
  void Log(const std::string& line) override;
  void FlushLog() override;
  void LogOnce(const std::string& line) override;
  void LogOnceFor(const std::string& key, const std::string& line) override;
  void ShowMessage(const std::string& text, MessageIcon icon) {
    if (ShowMessageBox) ShowMessageBox(text, icon);
  }
};
