// The dialog's two buttons that reach beyond the dialog.

#include "app/context.h"
#include "app/run.h"
#include "platform/platform.h"
#include "ui/dialog.h"
#include "util/strings.h"

namespace {

// Keeps the dialog disabled for the life of a run, however the run ends.
class DisabledDuringRun {
 public:
  explicit DisabledDuringRun(MainDialog& dialog, void (MainDialog::*set)(bool))
      : dialog_(dialog), set_(set) {
    (dialog_.*set_)(false);
  }
  ~DisabledDuringRun() { (dialog_.*set_)(true); }
  DisabledDuringRun(const DisabledDuringRun&) = delete;
  DisabledDuringRun& operator=(const DisabledDuringRun&) = delete;

 private:
  MainDialog& dialog_;
  void (MainDialog::*set_)(bool);
};

}  // namespace

bool MainDialog::Run_Click(Context& context) {
  if (!Enabled) return false;
  if (!Checkval()) {
    context.ShowMessage("Nothing selected !", MessageIcon::kInformation);
    return false;
  }
  // Only a warning: the run itself refuses a destination that is the source.
  if (util::Upper(SourcePath) == util::Upper(DestPath))
    context.ShowMessage("Source Path = Destination Path", MessageIcon::kCritical);
  if (!platform::FolderExists(SourcePath)) {
    context.ShowMessage("Source Path not found: " + SourcePath, MessageIcon::kNone);
    return false;
  }
  if (!platform::FolderExists(DestPath)) {
    context.ShowMessage("Destination Path not found: " + DestPath, MessageIcon::kNone);
    return false;
  }
  DisabledDuringRun disabled(*this, &MainDialog::SetEnabled);
  RunUpgrade(context);
  return true;
}

void MainDialog::Leave_Click() { throw ProcessEnd{0}; }

void MainDialog::SetEnabled(bool enabled) {
  Enabled = enabled;
  if (OnEnabledChange) OnEnabledChange(*this);
}
