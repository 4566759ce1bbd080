#include "ui/win32/windows_ui.h"

#include <commctrl.h>
#include <objbase.h>

#include "app/startup.h"

int RunWithWindows(Context& context) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  // The shell's folder browser needs a single-threaded apartment.
  HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  int exitCode = 0;
  {
    ProgressView progress(context.StdForm);
    if (context.CommandLine.empty()) {
      StartInteractive(context);
      context.SummaryInEndMessage = true;
      SettingsView dialog(context, SystemMessageBox(), SystemShellBrowser());
      exitCode = dialog.RunMessageLoop();
    } else {
      exitCode = RunBatch(context);
      context.StdForm.Hide();
    }
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return exitCode;
}
