#include "ui/win32/windows_ui.h"

#include "ui/event_handler.h"

namespace {

constexpr char kSettingsClass[] = "VantrelSettings";
constexpr DWORD kSettingsStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

constexpr std::string_view kBoxes[] = {"CONFIG_DAT", "Userfiles", "SPS_SUB", "IR_STOPM_SRC"};

int* BoxValue(MainDialog& dialog, std::string_view name) {
  if (name == "CONFIG_DAT") return &dialog.CONFIG_DAT;
  if (name == "Userfiles") return &dialog.Userfiles;
  if (name == "SPS_SUB") return &dialog.SPS_SUB;
  return &dialog.IR_STOPM_SRC;
}

LRESULT CALLBACK SettingsProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* view = reinterpret_cast<SettingsView*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  // The dialog manager asks which button Enter presses.
  if (view && message == DM_GETDEFID) return MAKELRESULT(view->DefaultButtonId(), DC_HASDEFID);
  if (view && message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
    view->OnCommand(LOWORD(wParam));
    return 0;
  }
  if (view && message == WM_CLOSE) {
    view->OnClose();
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

const char* RegisteredSettingsClass() {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = SettingsProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kSettingsClass;
  RegisterClassA(&windowClass);  // fails harmlessly when already registered
  return kSettingsClass;
}

// Keys and clicks given while a run held the thread were meant for a dialog
// that could not take them; handled once it is enabled again, they would
// press its buttons after the fact, even start a second run.
void DropPendingInput() {
  MSG message;
  for (int i = 0; i < 10000 && PeekMessageA(&message, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE);
       ++i) {
  }
  for (int i = 0;
       i < 10000 && PeekMessageA(&message, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE); ++i) {
  }
}

std::string TextOf(HWND control) {
  std::string text(static_cast<std::size_t>(GetWindowTextLengthA(control)) + 1, '\0');
  int length = GetWindowTextA(control, text.data(), static_cast<int>(text.size()));
  text.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
  return text;
}

}  // namespace

SettingsView::SettingsView(Context& context, MessageBoxFunction messageBox, ShellBrowser shell,
                           int dpi)
    : context_(context),
      form_(SettingsLayout(), RegisteredSettingsClass(), kSettingsStyle,
            LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1)), this, dpi) {
  std::string title = context.ProgramName;
  // A box shown while the progress window is up belongs to that window, or
  // the window would cover it.
  context_.ShowMessageBox = [this, messageBox, title](const std::string& text, MessageIcon icon) {
    messageBox(TopWindowOfProgram(Window()), text, title, MB_OK | static_cast<UINT>(icon));
  };
  context_.UI.BrowseForFolder = [this, shell](const std::string& dialogTitle) {
    return BrowseWithShell(shell, Window(), dialogTitle, browseStart_);
  };
  // Run is the default button, which Enter presses.
  HWND run = Control("Run");
  SendMessageA(run, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
  context_.UI.OnEnabledChange = [this](const MainDialog& dialog) {
    if (dialog.Enabled) DropPendingInput();
    EnableWindow(Window(), dialog.Enabled ? TRUE : FALSE);
  };
  WriteControls();
}

SettingsView::~SettingsView() {
  context_.ShowMessageBox = nullptr;
  context_.UI.BrowseForFolder = nullptr;
  context_.UI.OnEnabledChange = nullptr;
}

int SettingsView::DefaultButtonId() const {
  return GetDlgCtrlID(Control("Run"));
}

void SettingsView::Show() {
  ShowWindow(Window(), SW_SHOW);
  UpdateWindow(Window());
  SetFocus(Control(SettingsLayout().focusOrder.front()));
}

int SettingsView::RunMessageLoop() {
  Show();
  MSG message;
  while (!exitCode_ && GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (IsDialogMessageA(Window(), &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return exitCode_.value_or(0);
}

void SettingsView::OnCommand(int id) {
  // Enter with the focus on no button, and Escape, come as the dialog
  // manager's own two commands.
  std::string_view name = id == IDOK       ? "Run"
                          : id == IDCANCEL ? "Leave"
                                           : form_.NameOf(id);
  MainDialog& dialog = context_.UI;
  if (name == "SelAll") return RunInWindow([&] { dialog.SelAll_Click(); });
  if (name == "DeselAll") return RunInWindow([&] { dialog.DeselAll_Click(); });
  if (name == "BrowseSRC")
    return RunInWindow([&] {
      browseStart_ = dialog.SourcePath;
      dialog.BrowseSRC_Click();
    });
  if (name == "BrowseDest")
    return RunInWindow([&] {
      browseStart_ = dialog.DestPath;
      dialog.BrowseDest_Click();
    });
  if (name == "Run") return RunInWindow([&] { dialog.Run_Click(context_); });
  if (name == "Leave") return RunInWindow([&] { dialog.Leave_Click(); });
}

void SettingsView::OnClose() {
  RunInWindow([&] { context_.UI.Form_Close(); });
}

void SettingsView::RunInWindow(const std::function<void()>& handler) {
  if (exitCode_) return;
  ReadControls();
  std::optional<int> end = RunHandler(handler);
  if (end) {
    exitCode_ = end;
    PostQuitMessage(*end);
    return;
  }
  WriteControls();
}

void SettingsView::ReadControls() {
  MainDialog& dialog = context_.UI;
  dialog.SourcePath = TextOf(Control("SourcePath"));
  dialog.DestPath = TextOf(Control("DestPath"));
  for (std::string_view box : kBoxes)
    *BoxValue(dialog, box) =
        SendMessageA(Control(box), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

void SettingsView::WriteControls() {
  MainDialog& dialog = context_.UI;
  if (TextOf(Control("SourcePath")) != dialog.SourcePath)
    SetWindowTextA(Control("SourcePath"), dialog.SourcePath.c_str());
  if (TextOf(Control("DestPath")) != dialog.DestPath)
    SetWindowTextA(Control("DestPath"), dialog.DestPath.c_str());
  for (std::string_view box : kBoxes)
    SendMessageA(Control(box), BM_SETCHECK,
                 MainDialog::Ticked(*BoxValue(dialog, box)) ? BST_CHECKED : BST_UNCHECKED, 0);
}
