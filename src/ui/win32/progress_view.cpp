#include "ui/win32/windows_ui.h"

#include <commctrl.h>

#include "platform/platform.h"

namespace {

constexpr char kProgressClass[] = "VantrelProgress";
// The close box asks whether to stop; the run stops at its next step.
constexpr DWORD kProgressStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr char kStopQuestion[] =
    "Stop the upgrade? What was done until now can be rolled back.";

void AskToStop(HWND window) {
  char caption[256] = {};
  GetWindowTextA(window, caption, sizeof caption);
  if (MessageBoxA(window, kStopQuestion, caption, MB_YESNO | MB_ICONQUESTION) ==
      IDYES)
    platform::RequestStop(platform::StopCause::kUser);
}

LRESULT CALLBACK ProgressProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
  case WM_CLOSE:
    AskToStop(window);
    return 0;
  case WM_QUERYENDSESSION:
    // The session may end once the run has stopped at its next step and
    // written its manifest: until then it is held up.
    platform::RequestStop(platform::StopCause::kSession);
    return FALSE;
  case WM_ENDSESSION:
    if (wParam)
      platform::RequestStop(platform::StopCause::kSession);
    return 0;
  default:
    return DefWindowProcA(window, message, wParam, lParam);
  }
}

void RegisterProgressClass() {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = ProgressProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kProgressClass;
  RegisterClassA(&windowClass);  // fails harmlessly when already registered
}

// Lets the paint messages waiting for the thread's windows through, and
// of the input only what reaches a window's frame (its close box): the run
// holds the thread, and the user must not act in the windows meanwhile.
// Messages sent by the system (the session's end) are delivered by any peek.
void LetPaintThrough() {
  MSG message;
  for (int i = 0; i < 256 && PeekMessageA(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE); ++i)
    DispatchMessageA(&message);
  for (int i = 0; i < 64 && PeekMessageA(&message, nullptr, WM_NCMOUSEMOVE,
                                         WM_NCXBUTTONDBLCLK, PM_REMOVE);
       ++i) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

HFONT BoldArial(int dpi) {
  // 9.75 points.
  int height = -MulDiv(975, dpi, 7200);
  return CreateFontA(height, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_SWISS, "Arial");
}

}  // namespace

ProgressView::ProgressView(ProgressWindow& state, int dpi) : state_(state), dpi_(dpi) {
  RegisterProgressClass();
  state_.OnRepaint = [this](const ProgressWindow& window) { Repaint(window); };
}

ProgressView::~ProgressView() {
  state_.OnRepaint = nullptr;
  form_.reset();
  if (boldFont_) DeleteObject(boldFont_);
}

void ProgressView::Repaint(const ProgressWindow& state) {
  if (!state.Loaded) {
    form_.reset();
    return;
  }
  if (!form_) {
    form_ = std::make_unique<FormWindow>(ProgressLayout(), kProgressClass, kProgressStyle,
                                         LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1)),
                                         nullptr, dpi_);
    if (!boldFont_) boldFont_ = BoldArial(dpi_);
    SendMessageA(form_->Control("Information"), WM_SETFONT, reinterpret_cast<WPARAM>(boldFont_),
                 FALSE);
  }
  HWND window = form_->Window();
  if (!window) return;
  SetWindowTextA(window, state.Caption.c_str());
  HWND information = form_->Control("Information");
  SetWindowTextA(information, state.Information.c_str());
  // A long path wraps to more lines than the designed label holds at some
  // sizes of the font.
  form_->GrowToHold("Information", WrappedTextHeight(information));
  HWND bar = form_->Control("ProgressBar");
  SendMessageA(bar, PBM_SETRANGE32, static_cast<WPARAM>(static_cast<int>(state.Min)),
               static_cast<LPARAM>(static_cast<int>(state.Max)));
  SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(static_cast<int>(state.Value)), 0);
  if ((IsWindowVisible(window) != FALSE) != state.Visible)
    ShowWindow(window, state.Visible ? SW_SHOW : SW_HIDE);
  UpdateWindow(window);
  LetPaintThrough();
}
