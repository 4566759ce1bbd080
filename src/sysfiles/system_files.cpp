#include "sysfiles/system_files.h"

#include <string>

#include "core/context.h"
#include "core/guard.h"
#include "sysfiles/exchange_steps.h"
#include "util/strings.h"

namespace {

const std::string kSeparator(50, '.');

struct SystemFile {
  int MainDialog::*box;
  const char* path;  // relative to both installation roots
  void (*steps)(Context&);
  double barAfter;
  bool followedByVersionCheck = false;
};

const SystemFile kSystemFiles[] = {
    {&MainDialog::CONFIG_DAT, "System\\$CONFIG.DAT", UpgradeConfigDat, 300, true},
    {&MainDialog::SPS_SUB, "System\\SPS.SUB", UpgradeSpsSub, 600},
    {&MainDialog::IR_STOPM_SRC, "System\\IR_STOPM.SRC", UpgradeIrStopm, 900},
};

std::string DisplayName(const std::string& path) {
  return util::Upper(path.substr(path.find_last_of('\\') + 1));
}

// Runs one of the steps that only show which file is in work. Their failure
// (above all one of the progress window) must not end the stage: it is
// recorded, and the file is then left alone with a warning.
template <typename Step>
void Attempt(bool& failed, Step&& step) {
  try {
    step();
  } catch (const ProcessEnd&) {
    throw;
  } catch (...) {
    failed = true;
  }
}

void Record(Context& context, const std::string& name, const std::string& whyNot) {
  context.Record.systemFiles.push_back({name, whyNot.empty(), whyNot});
}

void ConvertListedFile(Context& context, const SystemFile& file, const std::string& name,
                       const AfterConfigDat& afterConfigDat) {
  if (CheckFilePair(context)) {
    const int failedBefore = context.Record.failedSteps;
    file.steps(context);
    if (file.followedByVersionCheck && afterConfigDat) afterConfigDat(context);
    Record(context, name,
           context.Record.failedSteps == failedBefore
               ? ""
               : "a step of the exchange program failed");
  } else {
    context.Log("# " + name + " is not converted");
    Record(context, name, "file missing in source or destination");
  }
}

void ConvertSystemFile(Context& context, const SystemFile& file,
                       const AfterConfigDat& afterConfigDat) {
  bool showFailed = false;
  std::string name;
  Attempt(showFailed, [&] {
    context.SystemFile.SourceFileName = file.path;
    context.SystemFile.DestFileName = file.path;
    name = DisplayName(context.SystemFile.DestFileName);
  });
  Attempt(showFailed, [&] {
    context.StdForm.Information = "Upgrade SYSTEM FILE: " + name;
    context.StdForm.Refresh();
  });
  Attempt(showFailed, [&] {
    context.Log(kSeparator);
    context.Log(". - - - START CONVERT " + name + " - - -");
  });

  Guarded(context, "Converting " + name, [&] {
    if (!context.SystemFilesList.Contains(name)) {
      context.Log("! - " + context.SystemFile.DestFileName + " - is not upgradet separetly");
      Record(context, name, "not named in vantrel.ini");
    } else if (showFailed) {
      context.Log("! " + name + " is not converted,--> no entry in - vantrel.kud -");
      Record(context, name, "its conversion could not start");
    } else {
      ConvertListedFile(context, file, name, afterConfigDat);
    }
  });

  context.Log(". - - - END CONVERT " + name + " - - -");
  context.Log(kSeparator);
  context.StdForm.Value = file.barAfter;
}

}  // namespace

void ConvertSystemFiles(Context& context, const AfterConfigDat& afterConfigDat) {
  for (const SystemFile& file : kSystemFiles) {
    if (MainDialog::Ticked(context.UI.*file.box)) ConvertSystemFile(context, file, afterConfigDat);
  }
}
