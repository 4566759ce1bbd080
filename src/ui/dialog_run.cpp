// The dialog's two buttons that reach beyond the dialog.

#include "app/context.h"
#include "app/run.h"
#include "platform/platform.h"
#include "ui/dialog.h"
#include "util/strings.h"

void MainDialog::Run_Click(Context& context) {
  if (!Checkval()) {
    context.ShowMessage("Nothing selected !", MessageIcon::kInformation);
    return;
  }
  // Only a warning: the run itself refuses a destination that is the source.
  if (util::Upper(SourcePath) == util::Upper(DestPath))
    context.ShowMessage("Source Path = Destination Path", MessageIcon::kCritical);
  if (!platform::FolderExists(SourcePath)) {
    context.ShowMessage("Source Path not found: " + SourcePath, MessageIcon::kNone);
    return;
  }
  if (!platform::FolderExists(DestPath)) {
    context.ShowMessage("Destination Path not found: " + DestPath, MessageIcon::kNone);
    return;
  }
  RunUpgrade(context);
}

void MainDialog::Leave_Click() { throw ProcessEnd{0}; }
