#include "core/dialog.h"

#include "core/context.h"
#include "platform/platform.h"
#include "util/strings.h"

void MainDialog::Form_Load() { SetAllBoxes(0); }

void MainDialog::SelAll_Click() { SetAllBoxes(1); }

void MainDialog::DeselAll_Click() { SetAllBoxes(0); }

bool MainDialog::Checkval() const {
  return Ticked(CONFIG_DAT) || Ticked(Userfiles) || Ticked(SPS_SUB) || Ticked(IR_STOPM_SRC);
}

void MainDialog::SetAllBoxes(int value) {
  CONFIG_DAT = value;
  Userfiles = value;
  SPS_SUB = value;
  IR_STOPM_SRC = value;
}

std::string MainDialog::Browse(const std::string& DLGTitle) {
  return BrowseForFolder ? BrowseForFolder(DLGTitle) : std::string();
}

void MainDialog::BrowseSRC_Click() {
  std::string picked = Browse("Select Source Path");
  if (!picked.empty()) SourcePath = picked;
}

void MainDialog::BrowseDest_Click() {
  std::string picked = Browse("Select Destination Path");
  if (!picked.empty()) DestPath = picked;
}

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
  if (OnRun) OnRun();
  return true;
}

void MainDialog::Leave_Click() { throw ProcessEnd{0}; }

void MainDialog::SetEnabled(bool enabled) {
  Enabled = enabled;
  if (OnEnabledChange) OnEnabledChange(*this);
}
