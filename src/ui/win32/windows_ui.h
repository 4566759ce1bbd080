#pragma once
// The two windows on Windows: thin views of the dialog's and the progress
// window's state, built from the layout tables. All logic stays in the
// state; a view copies the controls into the state before a handler runs
// and back afterwards.

#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/context.h"
#include "ui/layout.h"

// MessageBoxA, replaceable so that tests can read what would be shown.
using MessageBoxFunction =
    std::function<int(HWND owner, const std::string& text, const std::string& title, UINT type)>;
MessageBoxFunction SystemMessageBox();

// The shell's folder browser, call by call, replaceable for tests.
struct ShellBrowser {
  std::function<LPITEMIDLIST(BROWSEINFOA* info)> BrowseForFolder;  // SHBrowseForFolderA
  std::function<BOOL(LPCITEMIDLIST list, char* path)> GetPathFromIDList;
  std::function<void(LPITEMIDLIST list)> FreeIDList;  // CoTaskMemFree
};
ShellBrowser SystemShellBrowser();

// The folder picked in the browser owned by owner, or an empty text. The
// browser opens with start selected where that folder exists.
std::string BrowseWithShell(const ShellBrowser& shell, HWND owner, const std::string& title,
                            const std::string& start = {});
// What the browser calls once it is made: it selects the start folder.
int CALLBACK SelectStartFolder(HWND browser, UINT message, LPARAM, LPARAM start);

// The dots per inch the windows are laid out for.
int ScreenDpi();

// The program's window classes are named with this prefix.
inline constexpr char kOwnClassPrefix[] = "Vantrel";
// The program's topmost visible window, which a message box must be owned
// by so that no window of the program covers it; fallback where there is
// none.
HWND TopWindowOfProgram(HWND fallback);

// What a control's text needs, in pixels, in the control's font: the text
// alone, and a button's whole width as the common controls measure it.
int TextWidth(HWND control);
int IdealWidth(HWND button);
// The height a label's text needs, wrapped at the label's width as the
// label draws it; 0 for no text.
int WrappedTextHeight(HWND label);

// The window class, style and extended style of a control of that kind.
struct ControlClass {
  const char* className;
  DWORD style;
  DWORD exStyle;
};
ControlClass ClassOf(ControlKind kind);

// The child windows of one form, made from its table.
class FormWindow {
 public:
  // Laid out for dpi dots per inch, with the message font of that size.
  FormWindow(const FormLayout& layout, const char* windowClass, DWORD style, HICON icon,
             void* owner, int dpi = ScreenDpi());
  ~FormWindow();
  FormWindow(const FormWindow&) = delete;
  FormWindow& operator=(const FormWindow&) = delete;

  HWND Window() const { return window_; }
  // The control of that name; nullptr when there is none.
  HWND Control(std::string_view name) const;
  // The control of that id (its place in the table plus kFirstId).
  std::string_view NameOf(int id) const;
  static constexpr int kFirstId = 100;
  // Makes the named control neededHeight pixels tall where it is shorter,
  // moving what lies below it and the window's bottom down by as much. It
  // never shrinks, so that the window keeps still while texts of different
  // lengths follow one another.
  void GrowToHold(std::string_view name, int neededHeight);

 private:
  void CreateControls(const FormLayout& layout, int dpi);
  void WidenToFitText(HWND control, ControlKind kind) const;
  const FormLayout& layout_;
  int dpi_;
  HWND window_ = nullptr;
  HFONT font_ = nullptr;
  std::map<std::string_view, HWND> controls_;
  std::map<int, std::string_view> names_;
};

// The progress window: made on the first repaint after Load, destroyed on
// Unload. Each repaint lets the pending paint messages of the program's own
// windows through, and nothing else, so that a long run never looks hung.
// The stage text wraps: its label grows down, with the window, to hold all
// its lines.
class ProgressView {
 public:
  explicit ProgressView(ProgressWindow& state, int dpi = ScreenDpi());
  ~ProgressView();
  ProgressView(const ProgressView&) = delete;
  ProgressView& operator=(const ProgressView&) = delete;
  HWND Window() const { return form_ ? form_->Window() : nullptr; }
  HWND Control(std::string_view name) const { return form_ ? form_->Control(name) : nullptr; }

 private:
  void Repaint(const ProgressWindow& state);
  ProgressWindow& state_;
  int dpi_;
  std::unique_ptr<FormWindow> form_;
  HFONT boldFont_ = nullptr;
};

// The settings dialog.
class SettingsView {
 public:
  SettingsView(Context& context, MessageBoxFunction messageBox, ShellBrowser shell,
               int dpi = ScreenDpi());
  ~SettingsView();
  SettingsView(const SettingsView&) = delete;
  SettingsView& operator=(const SettingsView&) = delete;

  HWND Window() const { return form_.Window(); }
  HWND Control(std::string_view name) const { return form_.Control(name); }
  // Set once a handler has ended the process.
  std::optional<int> ExitCode() const { return exitCode_; }
  // Shows the dialog with the keyboard on the first control of its focus
  // order.
  void Show();
  // Shows the dialog modeless and runs the message loop until the process
  // ends; returns its exit code.
  int RunMessageLoop();

  // The window procedure's part: a button pressed, the close box.
  void OnCommand(int id);
  void OnClose();
  // The button Enter presses.
  int DefaultButtonId() const;

 private:
  void ReadControls();
  void WriteControls();
  void RunInWindow(const std::function<void()>& handler);

  Context& context_;
  FormWindow form_;
  std::optional<int> exitCode_;
  std::string browseStart_;  // the text box's folder, where the browser opens
};

// What the windows need of the window system while they live: the common
// controls registered, and the single-threaded apartment the shell's
// folder browser needs.
class WindowSystemScope {
 public:
  WindowSystemScope();
  ~WindowSystemScope();
  WindowSystemScope(const WindowSystemScope&) = delete;
  WindowSystemScope& operator=(const WindowSystemScope&) = delete;

 private:
  bool comInitialised_ = false;
};
