#pragma once
// The process-wide values of the upgrade program, in one object that is
// passed by reference to every operation that needs them.

#include <cstdint>
#include <functional>
#include <set>
#include <string>

#include "app/carg.h"
#include "log/log_library.h"
#include "util/strings.h"
#include "sysfiles/keyed_list.h"
#include "ui/dialog.h"
#include "ui/progress.h"
#include "userfiles/file_reg.h"

// Icons of a message box.
enum class MessageIcon { kNone = 0, kCritical = 16, kInformation = 64 };

// Thrown to end the process at once with an exit code; caught only by the
// entry, so that a run driven in-process returns its code to the caller.
struct ProcessEnd {
  int exitCode;
};

struct Context {
  // Start-up.
  bool BatchMode = false;
  // How long a run waits for another one using its program folder or its
  // log folder.
  int LockWaitSeconds = 600;
  std::string CommandLine;    // the argument text, as the platform gives it
  std::string ProgramFolder;  // system form, no trailing backslash
  std::string ProgramName;    // the program file's name without extension
  LogLibrary* Lumo = nullptr;
  // Shows a message box and waits until it is closed (interactive mode).
  std::function<void(const std::string& text, MessageIcon icon)> ShowMessageBox;

  // Installation paths.
  CArg Arg;

  // The run.
  std::string FoldexPath;  // program folder + "\Foldex.exe"
  std::string UpgFolder;   // program folder + "\Vantrel\"

  // The log.
  std::string LogFilePath;
  int32_t ErrorCount = 0;

  // The system file in work.
  std::string SourceFileName;
  std::string DestFileName;
  std::string FoundSourceFile;
  std::string FoundDestFile;

  // vantrel.ini.
  std::string IniFileName;
  KeyedList SystemFilesList;
  KeyedList FileNotToConvertList;
  KeyedList FileToCopyList;

  // User-file registries.
  CFileReg SrcFileReg;
  CFileReg DatFileReg;
  CFileReg SubFileReg;

  // Faults of the source tree that every walk of it meets again (an
  // unreadable folder, names that differ only in case): each is reported
  // once per run, so that it counts as one error.
  std::set<std::string> ReportedFaults;
  // Folders, upper-cased, already rid of stale temporary files in this run.
  std::set<std::string> CleanedFolders;

  // The windows.
  MainDialog UI;
  ProgressWindow StdForm;

  // Writes one log line through the log library. A line is one line: a
  // name holding a line end must not add lines of its own.
  void Log(const std::string& line) {
    if (Lumo) Lumo->LogWrite(util::Printable(line));
  }
  // Writes the error line unless the same line was written before in this run.
  void LogOnce(const std::string& line) {
    if (ReportedFaults.insert(line).second) Log(line);
  }
  void ShowMessage(const std::string& text, MessageIcon icon) {
    if (ShowMessageBox) ShowMessageBox(text, icon);
  }
};
