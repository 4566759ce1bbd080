#include "ui/win32/windows_ui.h"

#include <commctrl.h>

namespace {

constexpr char kProgressClass[] = "VantrelProgress";
// A caption and no close box: closing the window could not stop the run.
constexpr DWORD kProgressStyle = WS_OVERLAPPED | WS_CAPTION;

LRESULT CALLBACK ProgressProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) return 0;
  return DefWindowProcA(window, message, wParam, lParam);
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
// no input: the run holds the thread, and the user must not act meanwhile.
void LetPaintThrough() {
  MSG message;
  for (int i = 0; i < 256 && PeekMessageA(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE); ++i)
    DispatchMessageA(&message);
}

HFONT BoldArial(int dpi) {
  // 9.75 points.
  int height = -MulDiv(975, dpi, 7200);
  return CreateFontA(height, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_SWISS, "Arial");
}

}  // namespace

ProgressView::ProgressView(ProgressWindow& state) : state_(state) {
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
                                         nullptr);
    if (!boldFont_) boldFont_ = BoldArial(ScreenDpi());
    SendMessageA(form_->Control("Information"), WM_SETFONT, reinterpret_cast<WPARAM>(boldFont_),
                 FALSE);
  }
  HWND window = form_->Window();
  if (!window) return;
  SetWindowTextA(window, state.Caption.c_str());
  SetWindowTextA(form_->Control("Information"), state.Information.c_str());
  HWND bar = form_->Control("ProgressBar");
  SendMessageA(bar, PBM_SETRANGE32, static_cast<WPARAM>(static_cast<int>(state.Min)),
               static_cast<LPARAM>(static_cast<int>(state.Max)));
  SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(static_cast<int>(state.Value)), 0);
  if ((IsWindowVisible(window) != FALSE) != state.Visible)
    ShowWindow(window, state.Visible ? SW_SHOW : SW_HIDE);
  UpdateWindow(window);
  LetPaintThrough();
}
