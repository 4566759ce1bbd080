#include "app/run.h"

#include <exception>
#include <optional>
#include <string>

#include "app/run_lock.h"
#include "app/stages.h"
#include "app/start_cause.h"
#include "app/summary.h"
#include "core/context.h"
#include "core/guard.h"
#include "core/run_stopped.h"
#include "log/log.h"
#include "platform/platform.h"
#include "trees/path_ops.h"
#include "undo/backup.h"
#include "util/strings.h"
#include "version.h"

namespace {

// A message box breaks its lines at CR LF; the last line needs no end.
std::string MessageLines(const std::string& text) {
  std::string lines;
  for (char c : text) lines += c == '\n' ? std::string("\r\n") : std::string(1, c);
  while (lines.size() >= 2 && lines.compare(lines.size() - 2, 2, "\r\n") == 0) lines.resize(lines.size() - 2);
  return lines;
}

const std::string kSeparator(50, '.');
const std::string kHeaderRule = "." + std::string(77, '-');

void SetBar(Context& context, double value) { context.StdForm.Value = value; }

void SetLabel(Context& context, const std::string& text) {
  context.StdForm.Information = text;
  context.StdForm.Refresh();
}

void PrepareProgressWindow(Context& context) {
  ProgressWindow& window = context.StdForm;
  window.Load();
  window.Max = 1005;
  window.Caption = "Upgrade R1 files";
  window.Refresh();
  window.Show();
  window.Value = 1;
}

void WriteHeader(Context& context) {
  context.Log(std::string(".") + vantrel::kProductName + " started at: " + platform::DateText() +
              ", " + platform::TimeText());
  context.Log("." + context.ProgramName + " - Version: " + std::to_string(vantrel::kVersionMajor) +
              "." + std::to_string(vantrel::kVersionMinor) + "." +
              std::to_string(vantrel::kVersionRevision));
  context.Log(".Act Path: " + context.ProgramFolder + "\\" + vantrel::kProductName);
  context.Log(kHeaderRule);
}

// Refuses a run that would write into the old installation: the same
// folder, or one inside the other.
bool PathsOverlap(const Context& context) {
  const CArg& arg = context.Arg;
  return util::EqualsNoCase(arg.Source, arg.Dest) ||
         platform::SameOrNested(arg.Source, arg.Dest);
}

// The frame every stage shares: its label, its START and END lines between
// separator lines, and the bar values around its work. A bar value of 0 is
// left as it stands.
struct StageFrame {
  const char* label;
  const char* name;  // as in ". - - - START " + name + " - - -"
  double barBeforeLabel = 0;
  double barAtStart = 0;
  double barAtEnd = 0;
};

// What a run noted for the disk is there at the latest at the end of
// each stage.
void PutChangesOnDisk(Context& context) {
  if (platform::Status status = platform::MakeChangesDurable(); !status)
    context.Log("# The changes cannot be put on the disk: " + status.reason);
}

template <typename Work>
void RunStage(Context& context, const StageFrame& frame, Work&& work) {
  StopIfRequested();
  if (frame.barBeforeLabel != 0.0) SetBar(context, frame.barBeforeLabel);
  SetLabel(context, frame.label);
  if (frame.barAtStart != 0.0) SetBar(context, frame.barAtStart);
  context.Log(kSeparator);
  context.Log(std::string(". - - - START ") + frame.name + " - - -");
  work();
  PutChangesOnDisk(context);
  if (frame.barAtEnd != 0.0) SetBar(context, frame.barAtEnd);
  context.Log(std::string(". - - - END ") + frame.name + " - - -");
  context.Log(kSeparator);
  context.FlushLog();
}

// False when the lists could not be read: the run must end before it
// writes anything.
bool NegativeListStage(Context& context) {
  bool read = false;
  RunStage(context, {"Reading negative list", "READING THE NEGATIVE LIST", 0, 100, 0}, [&] {
    Guarded(context, "Reading the negative list",
            [&] { read = ReadNegativeList(context, context.ProgramFolder + "\\"); });
  });
  return read;
}

// The system files are exchanged in place: their new bytes are made of
// their old ones, which a second run could not find again if a power cut
// took both. Each of them is on the disk before the next step.
void SystemFileStage(Context& context) {
  platform::EachChangeDurable inPlace;
  RunStage(context, {"Upgrade SYSTEM FILES", "CONVERTING SYSTEMFILES", 1000, 1, 1000}, [&] {
    Guarded(context, "Converting the system files",
            [&] { ConvertSystemFiles(context, CheckConfigVersion); });
  });
}

void UserFileStage(Context& context) {
  RunStage(context, {"Upgrade USER FILES", "CONVERTING USER FILES", 0, 1, 1000}, [&] {
    Guarded(context, "Converting the user files", [&] { ConvertUserFiles(context); });
  });
}

void CopyListedFiles(Context& context) {
  KeyedList& list = context.FileToCopyList;
  std::size_t count = list.Count();
  int step = count == 0 || count > 1000 ? 0 : static_cast<int>(1000 / count);
  context.StdForm.Done = 0;
  context.StdForm.Total = static_cast<int>(count);
  while (list.Count() > 0) {
    std::string entry = list.TakeFirst();
    ++context.StdForm.Done;
    Guarded(context, "Copying " + entry, [&] {
      bool copied = util::Like(util::Upper(entry), "STEU\\*") ? CopyParentTreeFile(context, entry)
                                                                : CopyTreeFile(context, entry);
      if (copied) ++context.Record.filesCopied;
      context.Record.listedFiles.push_back({entry, copied, copied ? "" : "not copied"});
    });
    SetBar(context, context.StdForm.Value + step);
    context.StdForm.Refresh();
  }
}

void CopyStage(Context& context) {
  RunStage(context, {"Copy Other FILES", "COPYING FILES", 0, 1, 1000},
           [&] { CopyListedFiles(context); });
  context.StdForm.Total = 0;
}

void AttributeStage(Context& context) {
  Guarded(context, "Transferring the attributes", [&] { TransferAttributes(context); });
  PutChangesOnDisk(context);
  context.FlushLog();
}

// However a run ends, what it logged reaches the file.
class FlushLogAtEnd {
 public:
  explicit FlushLogAtEnd(Context& context) : context_(context) {}
  ~FlushLogAtEnd() { context_.FlushLog(); }
  FlushLogAtEnd(const FlushLogAtEnd&) = delete;
  FlushLogAtEnd& operator=(const FlushLogAtEnd&) = delete;

 private:
  Context& context_;
};

// The control folder's store files and the log are the run's own until it
// ends. The locks are taken before the log is touched: creating it moves
// the other run's log aside.
bool TakeRunLocks(Context& context, platform::FileLock& control, platform::FileLock& log) {
  // A plan writes nothing, not even a lock file.
  if (platform::ReadOnly()) return true;
  const std::string controlFolder = context.ProgramFolder + "\\Vantrel";
  if (platform::FolderExists(controlFolder) &&
      !AcquireRunLock(context, control, controlFolder + "\\Vantrel.lock"))
    return false;
  const std::string logFolder = ParentFolder(ChooseLogFile(context.BatchMode));
  return !platform::FolderExists(logFolder) ||
         AcquireRunLock(context, log, logFolder + "\\Vantrel.lock");
}

// Keeps what the run changes from the moment its paths are checked, and
// ends the journal however the run ends.
class BackupOfRun {
 public:
  explicit BackupOfRun(Context& context) : context_(context) {}
  ~BackupOfRun() { End(); }
  BackupOfRun(const BackupOfRun&) = delete;
  BackupOfRun& operator=(const BackupOfRun&) = delete;

  // Writes the journal's end record now; later calls do nothing.
  void End() {
    watching_.reset();
    names_.reset();
    if (!backup_)
      return;
    context_.Record.backupFailures = backup_->refusedChanges();
    if (platform::Status status = backup_->Finish(); !status)
      context_.Record.backupProblem = "its journal cannot be ended: " + status.reason;
    batch_.reset();
    backup_.reset();
  }

  // False, with its "#" line logged, when no backup can be kept: then the
  // run must end before its first change.
  bool Begin() {
    if (platform::ReadOnly()) return true;
    if (!context_.KeepBackup) {
      // Without a journal each written file is on the disk before the
      // next; folders and attributes follow at the end of each stage.
      names_.emplace();
      return true;
    }
    backup_.emplace(ParentFolder(context_.Arg.Dest), BackupFolderFor(context_.LogFilePath));
    if (platform::Status status = backup_->Start(); !status) {
      context_.Log("# The backup folder " + backup_->folder() + " cannot be made (" +
                   status.reason + "); nothing was upgraded");
      context_.Record.backupProblem = "it cannot be made: " + status.reason;
      backup_.reset();
      return false;
    }
    backup_->set_tell_refusal([this](const std::string& path, const std::string& why) {
      context_.Log("# The backup cannot keep " + path + " (" + why + "); it is left as it is");
    });
    watching_.emplace(*backup_);
    // The journal, on the disk before each change, is what makes it safe
    // to put the changes themselves on the disk in batches; without it
    // each replaced file is on the disk before the next.
    batch_.emplace();
    context_.Record.backupFolder = backup_->folder();
    return true;
  }

private:
  Context& context_;
  std::optional<RunBackup> backup_;
  std::optional<platform::ChangeWatchScope> watching_;
  std::optional<platform::DurableBatch> batch_;
  std::optional<platform::DurableNames> names_;
};

// One start or path check: on failure its error line is logged (unless
// the check logged its own), and the verdict is kept for the plan.
bool Check(Context& context, const char* name, bool passed, const std::string& errorLine = "") {
  if (!passed && !errorLine.empty()) context.Log(errorLine);
  context.Record.checks.push_back(
      {name, passed, passed ? "" : "failed: " + context.Record.lastError});
  return passed;
}

// Upgrading the older installation from the newer one would carry the
// new contents back into the old installation.
std::string OlderDestinationLine(const Context& context) {
  return "# The destination " + context.Arg.Dest +
         " holds a 5.x configuration and the source " + context.Arg.Source +
         " does not: the source is the newer installation. Source and destination seem "
         "swapped; nothing was upgraded";
}

void EndAfterFailedStart(Context& context) {
  context.Log("! End Vantrel.exe");
  AbortRun(context);
}

// Not a guarded step: the stop that is being handled would end it before
// it begins.
void DeleteSavedFoldsAfterStop(Context& context) {
  if (context.UpgFolder.empty()) return;
  try {
    KillFilesByExtension(context, context.UpgFolder, "add");
  } catch (const std::exception& error) {
    context.Log(std::string("# Deleting the saved folds failed: ") + error.what());
  }
}

// What was changed until the stop stays as it is; the journal is ended
// before the locks are let go, so that a rollback waiting for them finds it.
// The folds saved for the steps not done go as at any end of a run.
[[noreturn]] void EndStoppedRun(Context &context, BackupOfRun &backup,
                                platform::StopCause cause) {
  context.Record.stoppedBy = platform::StopCauseText(cause);
  context.Log("# The run was stopped (" + context.Record.stoppedBy +
              "); what was done until now can be rolled back");
  DeleteSavedFoldsAfterStop(context);
  backup.End();
  if (!context.Record.backupFolder.empty())
    context.Log(".To roll it back: vantrel --rollback " +
                platform::HostPath(context.Record.backupFolder));
  ReadErrorCount(context);
  context.FlushLog();
  context.StdForm.Unload();
  throw ProcessEnd{1};
}

void CheckAndConvert(Context &context, BackupOfRun &backup);

// A run killed or cut off by a power failure could not end its journal:
// the person starting the next one learns how to undo it.
void SayIfThePreviousRunWasCutOff(Context& context) {
  if (platform::ReadOnly()) return;
  std::optional<std::string> backup = CutOffBackup(ParentFolder(context.LogFilePath));
  if (!backup) return;
  const std::string line =
      "The previous run into this log folder was cut off; it can be rolled back with: "
      "vantrel --rollback " + platform::HostPath(*backup);
  context.Log("!" + line);
  platform::WriteStderr("vantrel: " + line + "\n");
}

}  // namespace

void RunUpgrade(Context& context) {
  // Only the run and its exchange program write the trees while it lasts:
  // what the platform layer learns of a folder's names stays true.
  platform::NameCacheScope names;
  FlushLogAtEnd flush(context);
  // The locks outlive the backup: they are let go after its journal is
  // ended.
  platform::FileLock controlLock;
  platform::FileLock logLock;
  BackupOfRun backup(context);
  PrepareProgressWindow(context);
  context.BeginRunState();
  if (!TakeRunLocks(context, controlLock, logLock)) {
    context.Record.locked = true;
    context.StdForm.Unload();
    throw ProcessEnd{1};
  }
  if (platform::Status log = InitLog(context); !log) {
    std::string message = "The log file " + platform::HostPath(context.LogFilePath) +
                          " cannot be written (" + log.reason + "); nothing was upgraded.";
    if (context.BatchMode) {
      platform::WriteStderr("vantrel: " + message + "\n");
    } else {
      context.ShowMessage(message, MessageIcon::kCritical);
    }
    context.StdForm.Unload();
    throw ProcessEnd{1};
  }
  context.Record.logOpened = true;
  SayIfThePreviousRunWasCutOff(context);
  try {
    CheckAndConvert(context, backup);
  } catch (const RunStopped &stop) {
    EndStoppedRun(context, backup, stop.cause);
  }
}

namespace {

void CheckAndConvert(Context &context, BackupOfRun &backup) {
  context.FoldexPath = context.ProgramFolder + "\\Foldex.exe";
  if (!Check(context, "Exchange program", platform::FileExists(context.FoldexPath),
             "# Foldex.exe not found in: " + context.FoldexPath))
    return EndAfterFailedStart(context);
  context.UpgFolder = context.ProgramFolder + "\\Vantrel\\";
  if (!Check(context, "Control folder", platform::FolderExists(context.UpgFolder),
             "# Can not find path: " + context.UpgFolder))
    return EndAfterFailedStart(context);
  std::string iniPath = context.ProgramFolder + "\\" + "vantrel.ini";
  if (!Check(context, "Control file vantrel.ini", platform::FileExists(iniPath),
             "# Can not find ini-File: " + iniPath))
    return EndAfterFailedStart(context);

  WriteHeader(context);
  const std::string pathText = context.BatchMode
                                   ? context.CommandLine
                                   : context.UI.SourcePath + "|" + context.UI.DestPath;
  context.Arg.init(pathText, *context.Lumo);
  if (!Check(context, "Installation paths given", !context.Arg.Source.empty(),
             "# ERROR: command line not found"))
    return AbortRun(context);
  if (!Check(context, "Source and destination apart", !PathsOverlap(context),
             "# ERROR: source path = destination path")) {
    context.Record.startCause = OverlapCause(context, pathText);
    return AbortRun(context);
  }
  if (!Check(context, "Installation folders", CheckInstallationPaths(context))) {
    context.Record.startCause = MissingFolderCause(context);
    return AbortRun(context);
  }
  if (!Check(context, "Destination not the older installation",
             !DestinationIsTheOlder(context), OlderDestinationLine(context))) {
    if (!context.BatchMode) context.ShowMessage(OlderDestinationLine(context).substr(2),
                                                MessageIcon::kCritical);
    return AbortRun(context);
  }
  if (!backup.Begin()) return AbortRun(context);

  if (!NegativeListStage(context)) return EndAfterFailedStart(context);
  SystemFileStage(context);
  if (!MainDialog::Ticked(context.UI.Userfiles)) {
    AttributeStage(context);
    return FinishRun(context);
  }
  UserFileStage(context);
  CopyStage(context);
  AttributeStage(context);
  FinishRun(context);
}

} // namespace

void FinishRun(Context& context) {
  Guarded(context, "Deleting the saved folds", [&] {
    KillFilesByExtension(context, context.UpgFolder, "add");
  });
  ReadErrorCount(context);
  context.FlushLog();
  if (context.BatchMode) {
    if (context.ErrorCount > 0) throw ProcessEnd{1};
    context.StdForm.Unload();
    return;
  }
  std::string summary =
      context.SummaryInEndMessage ? MessageLines(RunSummary(context.Record, context.LogFilePath))
                                  : std::string();
  if (context.ErrorCount > 0) {
    std::string report = std::to_string(context.ErrorCount) + " Error(s) occurred !\r\n\r\n" +
                         "For details see logfile: " + context.LogFilePath;
    if (!summary.empty()) report += "\r\n\r\n" + summary;
    context.ShowMessage(report, MessageIcon::kCritical);
  } else if (!summary.empty()) {
    context.ShowMessage(summary, MessageIcon::kInformation);
  }
  context.StdForm.Unload();
}

void AbortRun(Context& context) {
  context.Record.aborted = true;
  if (context.BatchMode) throw ProcessEnd{1};
  FinishRun(context);
}
