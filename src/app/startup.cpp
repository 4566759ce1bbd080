#include "app/startup.h"

#include "app/context.h"
#include "app/run.h"

int RunBatch(Context& context) {
  context.StdForm.Load();
  context.UI.Form_Load();
  context.UI.SelAll_Click();
  context.BatchMode = true;
  try {
    RunUpgrade(context);
  } catch (const ProcessEnd& end) {
    return end.exitCode;
  }
  return 0;
}
