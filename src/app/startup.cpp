#include "app/startup.h"

#include "core/context.h"
#include "app/run.h"

namespace {
void LoadWindows(Context& context) {
  context.StdForm.Load();
  context.UI.Form_Load();
  context.UI.SelAll_Click();
}
}  // namespace

int RunBatch(Context& context) {
  LoadWindows(context);
  context.BatchMode = true;
  try {
    RunUpgrade(context);
  } catch (const ProcessEnd& end) {
    return end.exitCode;
  }
  return 0;
}

void StartInteractive(Context& context) {
  LoadWindows(context);
  context.BatchMode = false;
  context.UI.DeselAll_Click();
  context.UI.OnRun = [&context] { RunUpgrade(context); };
}
