#include "ui/win32/windows_ui.h"

#include <commctrl.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

int ScreenDpi() {
  HDC screen = GetDC(nullptr);
  int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

// The program's own windows are those of its classes; the system makes
// windows of its own on the thread (for input methods, say), never meant to
// own a box.
bool IsOwnWindow(HWND window) {
  char name[32] = {};
  GetClassNameA(window, name, sizeof name);
  return std::string_view(name).substr(0, sizeof kOwnClassPrefix - 1) == kOwnClassPrefix;
}

HWND TopWindowOfProgram(HWND fallback) {
  const DWORD thread = GetCurrentThreadId();
  for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT))
    if (IsWindowVisible(window) && GetWindowThreadProcessId(window, nullptr) == thread &&
        IsOwnWindow(window))
      return window;
  return fallback;
}

int TextWidth(HWND control) {
  char text[256] = {};
  int length = GetWindowTextA(control, text, sizeof text);
  HDC dc = length > 0 ? GetDC(control) : nullptr;
  if (!dc) return 0;
  auto font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
  HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
  SIZE extent{};
  BOOL measured = GetTextExtentPoint32A(dc, text, length, &extent);
  if (old) SelectObject(dc, old);
  ReleaseDC(control, dc);
  return measured ? extent.cx : 0;
}

int WrappedTextHeight(HWND label) {
  int length = GetWindowTextLengthA(label);
  HDC dc = length > 0 ? GetDC(label) : nullptr;
  if (!dc) return 0;
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  length = GetWindowTextA(label, text.data(), length + 1);
  auto font = reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0));
  HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
  RECT bounds{};
  GetClientRect(label, &bounds);
  bounds.bottom = bounds.top;
  // The format a left-aligned static control draws its text with, so that
  // the lines break where the label breaks them.
  UINT format = DT_CALCRECT | DT_LEFT | DT_EXPANDTABS | DT_WORDBREAK;
  if (GetWindowLongA(label, GWL_STYLE) & SS_NOPREFIX) format |= DT_NOPREFIX;
  int height = DrawTextA(dc, text.data(), length, &bounds, format);
  if (old) SelectObject(dc, old);
  ReleaseDC(label, dc);
  return height > 0 ? bounds.bottom - bounds.top : 0;
}

int IdealWidth(HWND button) {
  SIZE ideal{};
  if (SendMessageA(button, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal))) return ideal.cx;
  // Without the common controls' own measure: the box, about as wide as the
  // text is high, a gap, and the text.
  return TextWidth(button) + GetSystemMetrics(SM_CXMENUCHECK) + 6;
}

ControlClass ClassOf(ControlKind kind) {
  switch (kind) {
    case ControlKind::kGroup:
      return {"BUTTON", BS_GROUPBOX, 0};
    case ControlKind::kLabel:
      return {"STATIC", SS_LEFT, 0};
    case ControlKind::kTextBox:
      return {"EDIT", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
    case ControlKind::kButton:
      return {"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0};
    case ControlKind::kCheckBox:
      return {"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 0};
    case ControlKind::kProgressBar:
      return {PROGRESS_CLASSA, 0, 0};
  }
  return {"STATIC", 0, 0};
}

FormWindow::FormWindow(const FormLayout& layout, const char* windowClass, DWORD style, HICON icon,
                       void* owner, int dpi)
    : layout_(layout), dpi_(dpi) {
  RECT outer{0, 0, TwipsToPixels(layout.clientWidth, dpi), TwipsToPixels(layout.clientHeight, dpi)};
  AdjustWindowRectEx(&outer, style, FALSE, 0);
  int width = outer.right - outer.left;
  int height = outer.bottom - outer.top;
  PixelPoint place = CentredOnScreen(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                                     width, height);
  std::string caption(layout.caption);
  window_ = CreateWindowExA(0, windowClass, caption.c_str(), style, place.left, place.top, width,
                            height, nullptr, nullptr, GetModuleHandleA(nullptr), owner);
  if (!window_) return;
  if (icon) {
    SendMessageA(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageA(window_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  }
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    // The system's font is sized for the screen; the layout may be another.
    metrics.lfMessageFont.lfHeight = MulDiv(metrics.lfMessageFont.lfHeight, dpi, ScreenDpi());
    font_ = CreateFontIndirectA(&metrics.lfMessageFont);
  }
  CreateControls(layout, dpi);
}

FormWindow::~FormWindow() {
  if (window_) DestroyWindow(window_);
  if (font_) DeleteObject(font_);
}

void FormWindow::CreateControls(const FormLayout& layout, int dpi) {
  // The keyboard visits the controls in the order they were made, so the
  // focus order comes first; groups come last, beneath what they frame.
  std::vector<std::size_t> order;
  for (std::string_view name : layout.focusOrder)
    for (std::size_t i = 0; i < layout.controls.size(); ++i)
      if (layout.controls[i].name == name) order.push_back(i);
  for (int pass = 0; pass < 2; ++pass)
    for (std::size_t i = 0; i < layout.controls.size(); ++i) {
      bool group = layout.controls[i].kind == ControlKind::kGroup;
      if (group == (pass == 1) && std::find(order.begin(), order.end(), i) == order.end())
        order.push_back(i);
    }
  for (std::size_t i : order) {
    const ControlLayout& control = layout.controls[i];
    ControlClass kind = ClassOf(control.kind);
    PixelRect place = ClientRect(layout, control, dpi);
    std::string text(control.caption);
    int id = kFirstId + static_cast<int>(i);
    HWND child = CreateWindowExA(
        kind.exStyle, kind.className, text.c_str(),
        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | kind.style, place.left, place.top, place.width,
        place.height, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
        GetModuleHandleA(nullptr), nullptr);
    if (!child) continue;
    if (font_) SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    WidenToFitText(child, control.kind);
    controls_[control.name] = child;
    names_[id] = control.name;
  }
}

HWND FormWindow::Control(std::string_view name) const {
  auto found = controls_.find(name);
  return found == controls_.end() ? nullptr : found->second;
}

std::string_view FormWindow::NameOf(int id) const {
  auto found = names_.find(id);
  return found == names_.end() ? std::string_view() : found->second;
}

void FormWindow::GrowToHold(std::string_view name, int neededHeight) {
  HWND grown = Control(name);
  if (!window_ || !grown) return;
  RECT now{};
  GetWindowRect(grown, &now);
  if (neededHeight <= now.bottom - now.top) return;
  PixelForm pixels = GrownToHold(layout_, dpi_, name, neededHeight);
  for (std::size_t i = 0; i < layout_.controls.size(); ++i) {
    HWND control = Control(layout_.controls[i].name);
    if (!control) continue;
    // The width stays as made: a label may have grown to its text's width.
    GetWindowRect(control, &now);
    const PixelRect& place = pixels.controls[i];
    SetWindowPos(control, nullptr, place.left, place.top, now.right - now.left, place.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  // The window's frame keeps its thickness and its top-left corner stays
  // where it is: the window grows down from where it stands.
  RECT client{};
  RECT outer{};
  GetClientRect(window_, &client);
  GetWindowRect(window_, &outer);
  SetWindowPos(window_, nullptr, 0, 0, outer.right - outer.left,
               outer.bottom - outer.top + pixels.clientHeight - client.bottom,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// A text scales with its font's hinting rather than with the layout, so at
// some sizes a label's text is wider than its place and would be cut: the
// label and the check box grow to the right by what their text lacks.
void FormWindow::WidenToFitText(HWND control, ControlKind kind) const {
  if (kind != ControlKind::kLabel && kind != ControlKind::kCheckBox) return;
  int needed = kind == ControlKind::kCheckBox ? IdealWidth(control) : TextWidth(control);
  RECT place{};
  GetWindowRect(control, &place);
  if (needed <= place.right - place.left) return;
  SetWindowPos(control, nullptr, 0, 0, needed, place.bottom - place.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}
