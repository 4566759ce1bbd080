// The program started with an empty command line: its settings dialog,
// found on the display, is pressed from this process as a user would.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "support/test_env.h"
#include "ui/win32/windows_ui.h"

namespace {

namespace fs = std::filesystem;

std::string TextOf(HWND window) {
  char text[600] = {};
  // Asked by message: another process's control keeps its own text.
  SendMessageA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

// The built program, started with an argument text, and its windows.
class StartedProgram : public ::testing::Test {
 protected:
  // The program in folder (a host path; the built one when empty).
  void Start(const std::string& arguments, std::string folder = "", bool withoutStreams = false) {
    if (folder.empty()) folder = testenv::BuiltProgramFolder();
    std::string program =
        (fs::absolute(folder) / testenv::ProgramFileName()).make_preferred().string();
    std::string commandLine = "\"" + program + "\"" + (arguments.empty() ? "" : " " + arguments);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    // As a double click starts it: no console and no streams.
    if (withoutStreams) startup.dwFlags = STARTF_USESTDHANDLES;
    ASSERT_TRUE(CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                               withoutStreams ? DETACHED_PROCESS : 0, nullptr, nullptr, &startup,
                               &process))
        << program << ": " << GetLastError();
    started = true;
  }
  void TearDown() override {
    if (!started) return;
    if (WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(process.hProcess, 9);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  // A visible top-level window of the program, once it has made it.
  HWND WaitForWindow(const char* windowClass, const char* title) {
    for (int attempt = 0; attempt < 1200; ++attempt) {
      for (HWND found = nullptr; (found = FindWindowExA(nullptr, found, windowClass, title));) {
        DWORD owner = 0;
        GetWindowThreadProcessId(found, &owner);
        if (owner == process.dwProcessId && IsWindowVisible(found)) return found;
      }
      if (WaitForSingleObject(process.hProcess, 100) == WAIT_OBJECT_0) return nullptr;
    }
    return nullptr;
  }
  // The exit code once the program has ended; -1 while it still runs.
  int ExitCode(DWORD waitMilliseconds = 30000) {
    if (WaitForSingleObject(process.hProcess, waitMilliseconds) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    return static_cast<int>(code);
  }

  PROCESS_INFORMATION process{};
  bool started = false;
};

class ProgramWithoutCommandLine : public StartedProgram {
 protected:
  void SetUp() override {
    Start("");
    dialog = WaitForWindow("VantrelSettings", "Settings");
    ASSERT_NE(dialog, nullptr);
  }
  HWND Button(const char* caption) { return FindWindowExA(dialog, nullptr, "Button", caption); }
  bool Checked(const char* caption) {
    return SendMessageA(Button(caption), BM_GETCHECK, 0, 0) == BST_CHECKED;
  }

  HWND dialog = nullptr;
};

TEST_F(ProgramWithoutCommandLine, ShowsTheDialogWithTheDefaultPathsAndAllBoxesCleared) {
  for (const char* box : {"$CONFIG.DAT", "all Userfiles", "SPS.SUB", "IR_STOPM.SRC"}) {
    ASSERT_NE(Button(box), nullptr) << box;
    EXPECT_FALSE(Checked(box)) << box;
  }
  std::vector<std::string> paths;
  for (HWND edit = nullptr; (edit = FindWindowExA(dialog, edit, "Edit", nullptr));)
    paths.push_back(TextOf(edit));
  std::sort(paths.begin(), paths.end());
  EXPECT_EQ(paths, (std::vector<std::string>{"C:\\QVD\\ROBOTER\\QVD\\R1", "C:\\QVD_OLDINST\\QVD\\R1"}));
  EXPECT_TRUE(IsWindowEnabled(dialog));
}

TEST_F(ProgramWithoutCommandLine, ExitEndsItWithExitCode0) {
  SendMessageA(Button("Exit"), BM_CLICK, 0, 0);
  EXPECT_EQ(ExitCode(), 0);
}

TEST_F(ProgramWithoutCommandLine, TheCloseBoxEndsItWithExitCode0) {
  PostMessageA(dialog, WM_CLOSE, 0, 0);
  EXPECT_EQ(ExitCode(), 0);
}

TEST_F(ProgramWithoutCommandLine, RunWithNothingTickedShowsTheSystemsMessageBoxOwnedByTheDialog) {
  // Posted: the box holds the program's thread until it is answered.
  PostMessageA(Button("Run"), BM_CLICK, 0, 0);
  HWND box = WaitForWindow("#32770", "vantrel");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(GetWindow(box, GW_OWNER), dialog);
  // The text of a message box stands in its control 0xFFFF.
  EXPECT_EQ(TextOf(GetDlgItem(box, 0xFFFF)), "Nothing selected !");
  EXPECT_NE(FindWindowExA(box, nullptr, "Button", "OK"), nullptr);
  SendMessageA(box, WM_COMMAND, IDOK, 0);
  SendMessageA(Button("Exit"), BM_CLICK, 0, 0);
  EXPECT_EQ(ExitCode(), 0);
}

// The whole interactive path: the dialog of the program, pressed from here,
// makes a run over the samples and reports it in the system's message box.
class ProgramWithSamplesWithoutCommandLine : public ProgramWithoutCommandLine {
 protected:
  void SetUp() override {
    testenv::LaySamples(drive, "C:\\PROG");
    Start("", drive.Host("C:\\PROG"));
    dialog = WaitForWindow("VantrelSettings", "Settings");
    ASSERT_NE(dialog, nullptr);
  }
  testenv::ScratchDrive drive;
};

TEST_F(ProgramWithSamplesWithoutCommandLine, RunsFromRunAndReportsTheErrorsOfTheInteractiveLog) {
  SendMessageA(Button("Select All"), BM_CLICK, 0, 0);
  PostMessageA(Button("Run"), BM_CLICK, 0, 0);
  HWND box = WaitForWindow("#32770", "vantrel");
  ASSERT_NE(box, nullptr);
  std::vector<std::string> log =
      testenv::ReadLogLines(drive.Host("C:\\QVD\\ROBOTER\\LOG\\Vantrel_Man.log"));
  auto errors = std::count_if(log.begin(), log.end(),
                              [](const std::string& line) { return line.rfind('#', 0) == 0; });
  // The error report, and below it the run's summary.
  const std::string text = TextOf(GetDlgItem(box, 0xFFFF));
  EXPECT_EQ(text.rfind(std::to_string(errors) +
                           " Error(s) occurred !\r\n\r\nFor details see logfile: "
                           "C:\\QVD\\ROBOTER\\LOG\\Vantrel_Man.log\r\n\r\n"
                           "System files upgraded: ",
                       0),
            0u)
      << text;
  EXPECT_NE(text.find("\r\nErrors: " + std::to_string(errors) + ", warnings: "), std::string::npos)
      << text;
  EXPECT_FALSE(IsWindowEnabled(dialog));
  SendMessageA(box, WM_COMMAND, IDOK, 0);
  for (int i = 0; i < 100 && !IsWindowEnabled(dialog); ++i) Sleep(100);
  EXPECT_TRUE(IsWindowEnabled(dialog));
  EXPECT_TRUE(IsWindowVisible(dialog));
  SendMessageA(Button("Exit"), BM_CLICK, 0, 0);
  EXPECT_EQ(ExitCode(), 0);
}

// With a command line the program runs at once, with the progress window
// and without the dialog, and ends with the run's exit code.
class ProgramWithACommandLine : public StartedProgram {
 protected:
  void SetUp() override { testenv::LaySamples(drive, "C:\\PROG"); }
  testenv::ScratchDrive drive;
};

TEST_F(ProgramWithACommandLine, RunsAtOnceShowingTheProgressWindow) {
  // From a program folder of its own: a run writes into its control folder.
  Start("C:\\QVD_OLDINST\\QVD\\R1|C:\\QVD\\ROBOTER\\QVD\\R1", drive.Host("C:\\PROG"));
  HWND window = WaitForWindow("VantrelProgress", "Upgrade R1 files");
  EXPECT_NE(window, nullptr);
  EXPECT_EQ(FindWindowExA(nullptr, nullptr, "VantrelSettings", nullptr), nullptr);
  int code = ExitCode(600000);
  std::ifstream expected(std::string(VANTREL_SOURCE_DIR) + "/examples/expected/exit-code");
  int expectedCode = -1;
  expected >> expectedCode;
  EXPECT_EQ(code, expectedCode);
  EXPECT_TRUE(drive.Exists("C:\\QVD\\ROBOTER\\LOG\\Vantrel.log"));
  EXPECT_FALSE(IsWindow(window));
}

// Double-clicked in a folder without its log library, the program says so
// in a message box instead of ending without a sign.
TEST_F(StartedProgram, WithoutItsLogLibraryItSaysSoInAMessageBox) {
  testenv::ScratchDrive drive;
  const std::string folder = drive.Host("C:\\ALONE");
  fs::create_directories(folder);
  fs::copy_file(fs::path(testenv::BuiltProgramFolder()) / testenv::ProgramFileName(),
                fs::path(folder) / testenv::ProgramFileName());
  Start("", folder, true);
  HWND box = WaitForWindow("#32770", "vantrel");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(TextOf(GetDlgItem(box, 0xFFFF)).rfind("vantrel: cannot load the log library ", 0), 0u);
  SendMessageA(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(ExitCode(), 1);
}

}  // namespace
