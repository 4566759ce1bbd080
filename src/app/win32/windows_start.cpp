#include "app/win32/windows_start.h"

#include <optional>

#include "app/startup.h"
#include "core/context.h"
#include "platform/platform.h"
#include "ui/win32/windows_ui.h"

int RunWithWindows(Context& context, bool showProgress) {
  WindowSystemScope windowSystem;
  std::optional<ProgressView> progress;
  if (showProgress) progress.emplace(context.StdForm);
  if (!context.CommandLine.empty()) {
    const int exitCode = RunBatch(context);
    context.StdForm.Hide();
    return exitCode;
  }
  StartInteractive(context);
  context.SummaryInEndMessage = true;
  SettingsView dialog(context, SystemMessageBox(), SystemShellBrowser());
  return dialog.RunMessageLoop();
}

void ConnectToTheStartingConsole() { platform::AttachParentConsole(); }

void TellStartFailure(const std::string& text) {
  if (platform::StderrReachesSomeone()) {
    platform::WriteStderr(text);
    return;
  }
  std::string shown = text;
  while (!shown.empty() && shown.back() == '\n') shown.pop_back();
  SystemMessageBox()(nullptr, shown, "vantrel", MB_OK | MB_ICONERROR);
}
