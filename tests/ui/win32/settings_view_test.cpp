// The settings dialog as a real window, pressed through its buttons.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <iterator>
#include <filesystem>

#include "app/startup.h"
#include "log/log_library.h"
#include "platform/platform.h"
#include "ui/win32/windows_ui.h"

#include <commctrl.h>

namespace {

struct Shown {
  HWND owner;
  std::string text;
  std::string title;
  UINT type;
  HWND progress = nullptr;  // the progress window, where it stood then
  bool operator==(const Shown&) const = default;
};

std::string TextOf(HWND window) {
  char text[600] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string ClassNameOf(HWND window) {
  char name[100] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

// A folder of its own in the temporary folder, removed afterwards.
class TempFolder {
 public:
  explicit TempFolder(const std::string& name) {
    static int count = 0;
    path_ = (std::filesystem::temp_directory_path() /
             ("vantrel-ui-" + std::to_string(GetCurrentProcessId()) + "-" +
              std::to_string(++count) + "-" + name))
                .string();
    std::filesystem::create_directories(path_);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

class SettingsWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    // The built program folder lies beside the test program.
    context.ProgramFolder = platform::ProgramFolder() + "\\bin";
    context.ProgramName = "vantrel";
    ASSERT_TRUE(lumo.Load(context.ProgramFolder).ok);
    context.Lumo = &lumo;
    StartInteractive(context);
    context.UI.SourcePath = oldInstallation.path();
    context.UI.DestPath = newInstallation.path();
    view = std::make_unique<SettingsView>(context, RecordingBox(), shell);
    ShowWindow(view->Window(), SW_SHOW);
  }
  void TearDown() override { view.reset(); }
  MessageBoxFunction RecordingBox() {
    return [this](HWND owner, const std::string& text, const std::string& title, UINT type) {
      HWND above = progress.Window();
      shown.push_back({owner, text, title, type, above && IsWindowVisible(above) ? above : nullptr});
      if (whileShown) whileShown();
      return IDOK;
    };
  }
  void Click(const char* name) { SendMessageA(view->Control(name), BM_CLICK, 0, 0); }
  void Type(const char* name, const std::string& text) {
    SetWindowTextA(view->Control(name), text.c_str());
  }
  bool Checked(const char* name) {
    return SendMessageA(view->Control(name), BM_GETCHECK, 0, 0) == BST_CHECKED;
  }
  // A run has begun once it has chosen its log.
  bool RunStarted() const { return !context.LogFilePath.empty(); }
  Shown Box(const std::string& text, UINT type) {
    return {view->Window(), text, "vantrel", MB_OK | type};
  }

  TempFolder oldInstallation{"old"};
  TempFolder newInstallation{"new"};
  LumoLibrary lumo;
  Context context;
  ProgressView progress{context.StdForm};
  std::vector<Shown> shown;
  // What the user does while a box is up.
  std::function<void()> whileShown;
  ShellBrowser shell;
  std::unique_ptr<SettingsView> view;
};

TEST_F(SettingsWindow, HasItsCaptionAndEveryControlWithItsText) {
  EXPECT_EQ(TextOf(view->Window()), "Settings");
  for (const ControlLayout& control : SettingsLayout().controls) {
    HWND window = view->Control(control.name);
    ASSERT_NE(window, nullptr) << control.name;
    // The text boxes show the state's paths, tested apart.
    if (control.kind != ControlKind::kTextBox) {
      EXPECT_EQ(TextOf(window), std::string(control.caption)) << control.name;
    }
  }
}

TEST_F(SettingsWindow, EachControlIsOfItsKind) {
  struct Kind {
    const char* name;
    const char* className;
    LONG buttonType;  // the low bits of a button's or a label's style
    bool clientEdge;
  };
  const Kind kinds[] = {
      {"Frame2", "Button", BS_GROUPBOX, false},      {"Label1", "Static", SS_LEFT, false},
      {"SourcePath", "Edit", 0, true},               {"BrowseSRC", "Button", BS_PUSHBUTTON, false},
      {"Label2", "Static", SS_LEFT, false},          {"DestPath", "Edit", 0, true},
      {"BrowseDest", "Button", BS_PUSHBUTTON, false}, {"Frame1", "Button", BS_GROUPBOX, false},
      {"CONFIG_DAT", "Button", BS_AUTOCHECKBOX, false}, {"Userfiles", "Button", BS_AUTOCHECKBOX, false},
      {"SPS_SUB", "Button", BS_AUTOCHECKBOX, false}, {"IR_STOPM_SRC", "Button", BS_AUTOCHECKBOX, false},
      {"SelAll", "Button", BS_PUSHBUTTON, false},    {"DeselAll", "Button", BS_PUSHBUTTON, false},
      {"Leave", "Button", BS_PUSHBUTTON, false},     {"Run", "Button", BS_DEFPUSHBUTTON, false},
  };
  ASSERT_EQ(std::size(kinds), SettingsLayout().controls.size());
  const auto& order = SettingsLayout().focusOrder;
  for (const Kind& kind : kinds) {
    HWND window = view->Control(kind.name);
    ASSERT_NE(window, nullptr) << kind.name;
    EXPECT_EQ(lstrcmpiA(ClassNameOf(window).c_str(), kind.className), 0) << kind.name;
    LONG style = GetWindowLongA(window, GWL_STYLE);
    if (std::string_view(kind.className) != "Edit") {
      EXPECT_EQ(style & 0x0F, kind.buttonType) << kind.name;
    } else {
      EXPECT_TRUE(style & ES_AUTOHSCROLL) << kind.name;
    }
    EXPECT_EQ((GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) != 0, kind.clientEdge)
        << kind.name;
    // Exactly the controls of the focus order take the keyboard.
    bool inOrder = std::find(order.begin(), order.end(), kind.name) != order.end();
    EXPECT_EQ((style & WS_TABSTOP) != 0, inOrder) << kind.name;
  }
}

TEST_F(SettingsWindow, IsAFixedWindowWithCaptionCloseBoxAndAnIconOfItsOwn) {
  LONG style = GetWindowLongA(view->Window(), GWL_STYLE);
  EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_CHILD);
  auto icon = reinterpret_cast<HICON>(SendMessageA(view->Window(), WM_GETICON, ICON_BIG, 0));
  EXPECT_NE(icon, nullptr);
  EXPECT_EQ(icon, reinterpret_cast<HICON>(
                      SendMessageA(view->Window(), WM_GETICON, ICON_SMALL, 0)));
}

TEST_F(SettingsWindow, ControlsStandAtTheirPlacesInTwipsToWithinOnePixel) {
  int dpi = ScreenDpi();
  int pixel = 1440 / dpi;
  RECT client;
  GetClientRect(view->Window(), &client);
  EXPECT_NEAR(client.right * 1440 / dpi, 8130, pixel);
  EXPECT_NEAR(client.bottom * 1440 / dpi, 4980, pixel);
  for (const ControlLayout& control : SettingsLayout().controls) {
    RECT place;
    GetWindowRect(view->Control(control.name), &place);
    MapWindowPoints(nullptr, view->Window(), reinterpret_cast<POINT*>(&place), 2);
    int left = control.left, top = control.top;
    if (const ControlLayout* group = SettingsLayout().Find(control.container)) {
      left += group->left;
      top += group->top;
    }
    EXPECT_NEAR(place.left * 1440 / dpi, left, pixel) << control.name;
    EXPECT_NEAR(place.top * 1440 / dpi, top, pixel) << control.name;
    EXPECT_NEAR((place.bottom - place.top) * 1440 / dpi, control.height, pixel) << control.name;
    // A label or a box whose text needs more grows to the right by that.
    const int width = (place.right - place.left) * 1440 / dpi;
    if (width > control.width + pixel && (control.kind == ControlKind::kLabel ||
                                          control.kind == ControlKind::kCheckBox)) {
      HWND window = view->Control(control.name);
      EXPECT_EQ(place.right - place.left, control.kind == ControlKind::kLabel
                                              ? TextWidth(window)
                                              : IdealWidth(window))
          << control.name;
    } else {
      EXPECT_NEAR(width, control.width, pixel) << control.name;
    }
  }
}

TEST_F(SettingsWindow, TheKeyboardVisitsTheControlsInTheFocusOrder) {
  const auto& order = SettingsLayout().focusOrder;
  HWND at = view->Control(order[0]);
  for (std::size_t i = 1; i <= order.size(); ++i) {
    at = GetNextDlgTabItem(view->Window(), at, FALSE);
    EXPECT_EQ(at, view->Control(order[i % order.size()])) << "after " << order[i - 1];
  }
}

TEST_F(SettingsWindow, StandsInTheMiddleOfTheScreen) {
  RECT outer;
  GetWindowRect(view->Window(), &outer);
  PixelPoint centred =
      CentredOnScreen(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                      outer.right - outer.left, outer.bottom - outer.top);
  EXPECT_EQ(outer.left, centred.left);
  EXPECT_EQ(outer.top, centred.top);
}

TEST_F(SettingsWindow, ShowsThePathsOfItsStateAndAllBoxesCleared) {
  EXPECT_EQ(TextOf(view->Control("SourcePath")), oldInstallation.path());
  EXPECT_EQ(TextOf(view->Control("DestPath")), newInstallation.path());
  for (const char* box : {"CONFIG_DAT", "Userfiles", "SPS_SUB", "IR_STOPM_SRC"})
    EXPECT_FALSE(Checked(box)) << box;
}

TEST_F(SettingsWindow, SelectAllTicksEveryBoxAndDeselectAllClearsThem) {
  Click("SelAll");
  for (const char* box : {"CONFIG_DAT", "Userfiles", "SPS_SUB", "IR_STOPM_SRC"})
    EXPECT_TRUE(Checked(box)) << box;
  EXPECT_TRUE(context.UI.Checkval());
  Click("DeselAll");
  for (const char* box : {"CONFIG_DAT", "Userfiles", "SPS_SUB", "IR_STOPM_SRC"})
    EXPECT_FALSE(Checked(box)) << box;
  EXPECT_FALSE(context.UI.Checkval());
}

TEST_F(SettingsWindow, RunWithNothingTickedTellsSoAndStartsNothing) {
  Type("SourcePath", "C:\\NOWHERE");
  Click("Run");
  EXPECT_EQ(shown, (std::vector<Shown>{Box("Nothing selected !", MB_ICONINFORMATION)}));
  EXPECT_FALSE(RunStarted());
}

TEST_F(SettingsWindow, RunWithAMissingSourceNamesItWithoutIcon) {
  Click("SPS_SUB");
  Type("SourcePath", "C:\\NOWHERE ");
  Click("Run");
  EXPECT_EQ(shown, (std::vector<Shown>{Box("Source Path not found: C:\\NOWHERE ", 0)}));
  EXPECT_FALSE(RunStarted());
}

TEST_F(SettingsWindow, RunWithAMissingDestinationNamesItWithoutIcon) {
  Click("CONFIG_DAT");
  Type("DestPath", "C:\\ELSEWHERE");
  Click("Run");
  EXPECT_EQ(shown, (std::vector<Shown>{Box("Destination Path not found: C:\\ELSEWHERE", 0)}));
  EXPECT_FALSE(RunStarted());
}

TEST_F(SettingsWindow, EqualPathsWarnCriticallyAndTheRunStillStarts) {
  Click("IR_STOPM_SRC");
  std::string upper = oldInstallation.path();
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  Type("DestPath", upper);
  Click("Run");
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown[0], Box("Source Path = Destination Path", MB_ICONERROR));
  EXPECT_TRUE(RunStarted());
  EXPECT_TRUE(IsWindowEnabled(view->Window()));
}

TEST_F(SettingsWindow, ExitEndsTheProgramWithExitCode0) {
  Click("Leave");
  EXPECT_EQ(view->ExitCode(), std::optional<int>(0));
  MSG quit;
  ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(quit.wParam, 0u);
}

TEST_F(SettingsWindow, TheCloseBoxDoesWhatExitDoes) {
  SendMessageA(view->Window(), WM_CLOSE, 0, 0);
  EXPECT_EQ(view->ExitCode(), std::optional<int>(0));
  EXPECT_TRUE(IsWindow(view->Window()));
  MSG quit;
  EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST_F(SettingsWindow, APickedFolderFillsItsBoxAndACancelKeepsIt) {
  std::string answer = "C:\\";
  shell.BrowseForFolder = [&](BROWSEINFOA* info) -> LPITEMIDLIST {
    EXPECT_EQ(info->hwndOwner, view->Window());
    return answer.empty() ? nullptr : reinterpret_cast<LPITEMIDLIST>(&answer);
  };
  shell.GetPathFromIDList = [&](LPCITEMIDLIST, char* path) -> BOOL {
    std::copy(answer.c_str(), answer.c_str() + answer.size() + 1, path);
    return TRUE;
  };
  shell.FreeIDList = [](LPITEMIDLIST) {};
  view.reset();
  view = std::make_unique<SettingsView>(context, RecordingBox(), shell);
  Click("BrowseDest");
  EXPECT_EQ(TextOf(view->Control("DestPath")), "C:\\");
  answer = "C:\\QVD\\OLD";
  Click("BrowseSRC");
  EXPECT_EQ(TextOf(view->Control("SourcePath")), "C:\\QVD\\OLD");
  answer.clear();
  Click("BrowseSRC");
  EXPECT_EQ(TextOf(view->Control("SourcePath")), "C:\\QVD\\OLD");
}

TEST_F(SettingsWindow, ARunReportsItsErrorsWithTheInteractiveLogAndLeavesTheDialogReady) {
  // Empty folders are no installations: the run ends with errors.
  Click("SelAll");
  Click("Run");
  ASSERT_TRUE(RunStarted());
  EXPECT_TRUE(context.LogFilePath.ends_with("\\Vantrel_Man.log")) << context.LogFilePath;
  ASSERT_GT(context.ErrorCount, 0);
  // The progress window still stands when the report comes: the report is
  // its box, so that the window does not cover it.
  ASSERT_EQ(shown.size(), 1u);
  ASSERT_NE(shown[0].progress, nullptr);
  Shown report = Box(std::to_string(context.ErrorCount) +
                         " Error(s) occurred !\r\n\r\nFor details see logfile: " +
                         context.LogFilePath,
                     MB_ICONERROR);
  report.owner = report.progress = shown[0].progress;
  EXPECT_EQ(shown[0], report);
  EXPECT_EQ(progress.Window(), nullptr);
  EXPECT_TRUE(IsWindowEnabled(view->Window()));
  EXPECT_FALSE(view->ExitCode());
  Click("Run");
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown.back().text, shown.front().text);
  EXPECT_EQ(shown.back().owner, shown.back().progress);
}

TEST_F(SettingsWindow, ClicksAndKeysGivenDuringARunAreDroppedAndStartNoSecondRun) {
  Click("SelAll");
  // The run's error report comes while the run still holds the thread.
  whileShown = [&] {
    HWND run = view->Control("Run");
    PostMessageA(run, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageA(run, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    PostMessageA(run, WM_KEYDOWN, VK_SPACE, 0);
    PostMessageA(run, WM_KEYUP, VK_SPACE, 0);
  };
  Click("Run");
  whileShown = nullptr;
  ASSERT_EQ(shown.size(), 1u);
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  EXPECT_EQ(shown.size(), 1u);
  EXPECT_TRUE(IsWindowEnabled(view->Window()));
}

// A key as the message loop hands it to the dialog manager.
void PressKey(HWND dialog, HWND focus, WPARAM key) {
  SetFocus(focus);
  MSG message{focus, WM_KEYDOWN, key, 0, 0, {}};
  IsDialogMessageA(dialog, &message);
}

TEST_F(SettingsWindow, TheKeyboardStartsOnTheFirstControlOfTheFocusOrder) {
  view->Show();
  EXPECT_EQ(GetFocus(), view->Control("SelAll"));
}

TEST_F(SettingsWindow, EnterPressesRunAndEscapeIsExit) {
  // Enter with the focus on a box or a text box presses the default button.
  PressKey(view->Window(), view->Control("CONFIG_DAT"), VK_RETURN);
  PressKey(view->Window(), view->Control("DestPath"), VK_RETURN);
  EXPECT_EQ(shown, (std::vector<Shown>(2, Box("Nothing selected !", MB_ICONINFORMATION))));
  EXPECT_FALSE(view->ExitCode());
  PressKey(view->Window(), view->Control("SourcePath"), VK_ESCAPE);
  EXPECT_EQ(view->ExitCode(), 0);
}

TEST_F(SettingsWindow, AMessageBoxBelongsToTheProgramsTopmostWindow) {
  context.ShowMessageBox("alone", MessageIcon::kNone);
  // The progress window stands above the dialog while a run works.
  context.StdForm.Load();
  context.StdForm.Show();
  context.StdForm.Refresh();
  HWND above = progress.Window();
  ASSERT_NE(above, nullptr);
  context.ShowMessageBox("above", MessageIcon::kNone);
  context.StdForm.Unload();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].owner, view->Window());
  EXPECT_EQ(shown[1].owner, above);
}

// At every size the labels' and the boxes' texts fit their controls, as
// the font of that size measures them.
TEST_F(SettingsWindow, TextsFitTheirControlsAt96_120And144Dpi) {
  for (int dpi : {96, 120, 144}) {
    SettingsView sized(context, RecordingBox(), shell, dpi);
    for (const ControlLayout& control : SettingsLayout().controls) {
      if (control.kind != ControlKind::kLabel && control.kind != ControlKind::kCheckBox) continue;
      HWND window = sized.Control(control.name);
      RECT client{};
      GetClientRect(window, &client);
      int needed = control.kind == ControlKind::kLabel ? TextWidth(window) : IdealWidth(window);
      EXPECT_GT(needed, 0) << control.name << " at " << dpi;
      EXPECT_LE(needed, client.right) << control.name << " at " << dpi;
    }
  }
}

}  // namespace
