// Whole runs over the sample installations, started by pressing Run in the
// real settings dialog: the interactive log, the boxes shown through the
// view's message-box function, the progress window, and the dialog after.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "app/startup.h"
#include "log/log_library.h"
#include "platform/paths.h"
#include "support/test_env.h"
#include "ui/win32/windows_ui.h"

#include <commctrl.h>

namespace {

using Lines = std::vector<std::string>;

const std::string kExpected = std::string(VANTREL_SOURCE_DIR) + "/examples/expected";
const std::string kProgram = "C:\\PROG";
const std::string kLogFolder = "C:\\QVD\\ROBOTER\\LOG";

// A message box as the view asked for it, and how the windows stood then.
struct Shown {
  HWND owner;
  std::string text;
  std::string title;
  UINT type;
  bool dialogEnabled;
  bool progressShown;
  LRESULT barPosition;
  LRESULT barLow;
  LRESULT barHigh;
  HWND progressWindow;
};

int ErrorLines(const Lines& log) {
  return static_cast<int>(
      std::count_if(log.begin(), log.end(), [](const std::string& line) {
        return line.rfind('#', 0) == 0;
      }));
}

std::string ErrorReport(int count, const std::string& logPath) {
  return std::to_string(count) + " Error(s) occurred !\r\n\r\nFor details see logfile: " + logPath;
}

class SampleRunFromTheDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    testenv::LaySamples(drive, kProgram);
    ASSERT_TRUE(lumo.Load(platform::ToBackslashes(testenv::BuiltProgramFolder())).ok);
    context.Lumo = &lumo;
    context.ProgramFolder = kProgram;
    context.ProgramName = "vantrel";
    StartInteractive(context);
    progress = std::make_unique<ProgressView>(context.StdForm);
    view = std::make_unique<SettingsView>(context, RecordingBox(), ShellBrowser{});
    ShowWindow(view->Window(), SW_SHOW);
  }
  void TearDown() override {
    view.reset();
    progress.reset();
  }
  MessageBoxFunction RecordingBox() {
    return [this](HWND owner, const std::string& text, const std::string& title, UINT type) {
      HWND window = progress->Window();
      HWND bar = progress->Control("ProgressBar");
      shown.push_back({owner, text, title, type, IsWindowEnabled(view->Window()) != FALSE,
                       window && IsWindowVisible(window), SendMessageA(bar, PBM_GETPOS, 0, 0),
                       SendMessageA(bar, PBM_GETRANGE, TRUE, 0),
                       SendMessageA(bar, PBM_GETRANGE, FALSE, 0), window});
      return IDOK;
    };
  }
  void Click(const char* name) { SendMessageA(view->Control(name), BM_CLICK, 0, 0); }
  Lines Log(const std::string& name) const {
    return testenv::ReadLogLines(drive.Host(kLogFolder + "\\" + name));
  }
  Lines MaskedLog(const std::string& name) const {
    return testenv::MaskedLog(Log(name), kProgram);
  }

  testenv::ScratchDrive drive;
  LumoLibrary lumo;
  Context context;
  std::vector<Shown> shown;
  std::unique_ptr<ProgressView> progress;
  std::unique_ptr<SettingsView> view;
};

// One run makes both checks: under wine a run over the samples takes long.
TEST_F(SampleRunFromTheDialog, WritesTheBatchRunsLinesAndEndsWithTheErrorReportAtTheBarsEnd) {
  Click("SelAll");
  Click("Run");
  EXPECT_EQ(context.LogFilePath, kLogFolder + "\\Vantrel_Man.log");
  EXPECT_FALSE(drive.Exists(kLogFolder + "\\Vantrel.log"));
  Lines expected = testenv::ReadLogLines(kExpected + "/Vantrel.log");
  EXPECT_EQ(MaskedLog("Vantrel_Man.log"), expected);

  int errors = ErrorLines(expected);
  ASSERT_GT(errors, 0);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].owner, view->Window());
  EXPECT_EQ(shown[0].text, ErrorReport(errors, kLogFolder + "\\Vantrel_Man.log"));
  EXPECT_EQ(shown[0].title, "vantrel");
  EXPECT_EQ(shown[0].type, static_cast<UINT>(MB_OK | MB_ICONERROR));
  EXPECT_EQ(shown[0].barLow, 1);
  EXPECT_EQ(shown[0].barHigh, 1005);
  EXPECT_EQ(shown[0].barPosition, 1000);
  // The run holds the one thread: no second Run while it works.
  EXPECT_FALSE(shown[0].dialogEnabled);
  // The user-file stage hid the window at its end.
  EXPECT_FALSE(shown[0].progressShown);
}

TEST_F(SampleRunFromTheDialog, LeavesTheDialogOpenAndReadyForASecondRun) {
  Click("SelAll");
  Click("Run");
  EXPECT_EQ(progress->Window(), nullptr);
  EXPECT_TRUE(IsWindowVisible(view->Window()));
  EXPECT_TRUE(IsWindowEnabled(view->Window()));
  EXPECT_FALSE(view->ExitCode());

  Click("Run");
  ASSERT_EQ(shown.size(), 2u);
  // The destination is upgraded already; the second run logs anew.
  Lines second = MaskedLog("Vantrel_Man.log");
  Lines expected = testenv::ReadLogLines(kExpected + "/Vantrel.log");
  ASSERT_GT(second.size(), 8u);
  EXPECT_EQ(Lines(second.begin(), second.begin() + 8), Lines(expected.begin(), expected.begin() + 8));
  EXPECT_EQ(shown[1].text, ErrorReport(ErrorLines(Log("Vantrel_Man.log")),
                                       kLogFolder + "\\Vantrel_Man.log"));
  EXPECT_TRUE(IsWindowEnabled(view->Window()));
}

TEST_F(SampleRunFromTheDialog, AMissingTemplateIsShownCriticallyBeforeTheErrorReport) {
  std::filesystem::remove(drive.Host("C:\\QVD\\ROBOTER\\Template\\Vorgabe.dat"));
  Click("Userfiles");
  Click("Run");
  const std::string missing =
      "File not found:C:\\QVD\\ROBOTER\\Template\\Vorgabe.src OR "
      "C:\\QVD\\ROBOTER\\Template\\Vorgabe.dat";
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].text, missing);
  EXPECT_EQ(shown[0].type, static_cast<UINT>(MB_OK | MB_ICONERROR));
  EXPECT_EQ(shown[0].title, "vantrel");
  // Shown while the user-file stage works, before it hides the window: the
  // box belongs to the progress window, which would cover it otherwise.
  EXPECT_TRUE(shown[0].progressShown);
  EXPECT_EQ(shown[0].owner, shown[0].progressWindow);
  Lines log = Log("Vantrel_Man.log");
  EXPECT_NE(std::find(log.begin(), log.end(), "# " + missing), log.end());
  EXPECT_NE(std::find(log.begin(), log.end(), "# USER Files not converted !!!"), log.end());
  EXPECT_EQ(shown[1].text, ErrorReport(ErrorLines(log), kLogFolder + "\\Vantrel_Man.log"));
  EXPECT_EQ(shown[1].type, static_cast<UINT>(MB_OK | MB_ICONERROR));
}

TEST_F(SampleRunFromTheDialog, TheProgressWindowShowsDuringTheRunAndIsGoneAfter) {
  bool seen = false;
  context.StdForm.OnRepaint = [&, repaint = context.StdForm.OnRepaint](const ProgressWindow& state) {
    repaint(state);
    if (progress->Window() && IsWindowVisible(progress->Window())) seen = true;
  };
  Click("CONFIG_DAT");
  Click("Run");
  EXPECT_TRUE(seen);
  EXPECT_EQ(progress->Window(), nullptr);
}

}  // namespace
