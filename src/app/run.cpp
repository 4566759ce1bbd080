#include "app/run.h"

#include <string>

#include "app/context.h"
#include "app/guard.h"
#include "app/run_lock.h"
#include "app/stages.h"
#include "log/log.h"
#include "platform/platform.h"
#include "trees/path_ops.h"
#include "util/strings.h"
#include "version.h"

namespace {

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

// False when the lists could not be read: the run must end before it
// writes anything.
bool NegativeListStage(Context& context) {
  SetLabel(context, "Reading negative list");
  SetBar(context, 100);
  context.Log(kSeparator);
  context.Log(". - - - START READING THE NEGATIVE LIST - - -");
  bool read = false;
  Guarded(context, "Reading the negative list",
          [&] { read = ReadNegativeList(context, context.ProgramFolder + "\\"); });
  context.Log(". - - - END READING THE NEGATIVE LIST - - -");
  context.Log(kSeparator);
  return read;
}

void SystemFileStage(Context& context) {
  SetBar(context, 1000);
  SetLabel(context, "Upgrade SYSTEM FILES");
  context.Log(kSeparator);
  context.Log(". - - - START CONVERTING SYSTEMFILES - - -");
  SetBar(context, 1);
  Guarded(context, "Converting the system files", [&] { ConvertSystemFiles(context); });
  SetBar(context, 1000);
  context.Log(". - - - END CONVERTING SYSTEMFILES - - -");
  context.Log(kSeparator);
}

void UserFileStage(Context& context) {
  SetLabel(context, "Upgrade USER FILES");
  context.Log(kSeparator);
  context.Log(". - - - START CONVERTING USER FILES - - -");
  SetBar(context, 1);
  Guarded(context, "Converting the user files", [&] { ConvertUserFiles(context); });
  SetBar(context, 1000);
  context.Log(". - - - END CONVERTING USER FILES - - -");
  context.Log(kSeparator);
}

void CopyStage(Context& context) {
  SetLabel(context, "Copy Other FILES");
  SetBar(context, 1);
  context.Log(kSeparator);
  context.Log(". - - - START COPYING FILES - - -");
  KeyedList& list = context.FileToCopyList;
  std::size_t count = list.Count();
  int step = count == 0 || count > 1000 ? 0 : static_cast<int>(1000 / count);
  while (list.Count() > 0) {
    std::string entry = list.TakeFirst();
    Guarded(context, "Copying " + entry, [&] {
      if (util::Like(util::Upper(entry), "STEU\\*"))
        CopyParentTreeFile(context, entry);
      else
        CopyTreeFile(context, entry);
    });
    SetBar(context, context.StdForm.Value + step);
    context.StdForm.Refresh();
  }
  SetBar(context, 1000);
  context.Log(". - - - END COPYING FILES - - -");
  context.Log(kSeparator);
}

void AttributeStage(Context& context) {
  Guarded(context, "Transferring the attributes", [&] { TransferAttributes(context); });
}

// The control folder's store files and the log are the run's own until it
// ends. The locks are taken before the log is touched: creating it moves
// the other run's log aside.
bool TakeRunLocks(Context& context, platform::FileLock& control, platform::FileLock& log) {
  const std::string controlFolder = context.ProgramFolder + "\\Vantrel";
  if (platform::FolderExists(controlFolder) &&
      !AcquireRunLock(context, control, controlFolder + "\\Vantrel.lock"))
    return false;
  const std::string logFolder = ParentFolder(ChooseLogFile(context.BatchMode));
  return !platform::FolderExists(logFolder) ||
         AcquireRunLock(context, log, logFolder + "\\Vantrel.lock");
}

void EndAfterFailedStart(Context& context) {
  context.Log("! End Vantrel.exe");
  AbortRun(context);
}

}  // namespace

void RunUpgrade(Context& context) {
  PrepareProgressWindow(context);
  context.SrcFileReg = CFileReg();
  context.DatFileReg = CFileReg();
  context.SubFileReg = CFileReg();
  context.ReportedFaults.clear();
  context.CleanedFolders.clear();
  platform::FileLock controlLock;
  platform::FileLock logLock;
  if (!TakeRunLocks(context, controlLock, logLock)) {
    context.StdForm.Unload();
    throw ProcessEnd{1};
  }
  if (!InitLog(context)) {
    std::string message = "The log file " + platform::HostPath(context.LogFilePath) +
                          " cannot be created; nothing was upgraded.";
    if (context.BatchMode) {
      platform::WriteStderr("vantrel: " + message + "\n");
    } else {
      context.ShowMessage(message, MessageIcon::kCritical);
    }
    context.StdForm.Unload();
    throw ProcessEnd{1};
  }

  context.FoldexPath = context.ProgramFolder + "\\Foldex.exe";
  if (!platform::FileExists(context.FoldexPath)) {
    context.Log("# Foldex.exe not found in: " + context.FoldexPath);
    return EndAfterFailedStart(context);
  }
  context.UpgFolder = context.ProgramFolder + "\\Vantrel\\";
  if (!platform::FolderExists(context.UpgFolder)) {
    context.Log("# Can not find path: " + context.UpgFolder);
    context.Log("! End Vantrel.exe");
    return AbortRun(context);
  }
  std::string iniPath = context.ProgramFolder + "\\" + "vantrel.ini";
  if (!platform::FileExists(iniPath)) {
    context.Log("# Can not find ini-File: " + iniPath);
    return EndAfterFailedStart(context);
  }

  WriteHeader(context);
  if (context.BatchMode)
    context.Arg.init(context.CommandLine, *context.Lumo);
  else
    context.Arg.init(context.UI.SourcePath + "|" + context.UI.DestPath, *context.Lumo);
  if (context.Arg.Source.empty()) {
    context.Log("# ERROR: command line not found");
    return AbortRun(context);
  }
  if (PathsOverlap(context)) {
    context.Log("# ERROR: source path = destination path");
    return AbortRun(context);
  }
  if (!CheckInstallationPaths(context)) {
    context.StdForm.Unload();
    return;
  }

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

void FinishRun(Context& context) {
  Guarded(context, "Deleting the saved folds", [&] {
    KillFilesByExtension(context, context.UpgFolder, "add");
  });
  ReadErrorCount(context);
  if (context.BatchMode) {
    if (context.ErrorCount > 0) throw ProcessEnd{1};
    context.StdForm.Unload();
    return;
  }
  if (context.ErrorCount > 0) {
    context.ShowMessage(std::to_string(context.ErrorCount) + " Error(s) occurred !\r\n\r\n" +
                            "For details see logfile: " + context.LogFilePath,
                        MessageIcon::kCritical);
  }
  context.StdForm.Unload();
}

void AbortRun(Context& context) {
  if (context.BatchMode) throw ProcessEnd{1};
  FinishRun(context);
}
