// The folder browser's call and its result, with the shell replaced.

#include <gtest/gtest.h>

#include <cstring>

#include "ui/win32/windows_ui.h"

namespace {

// A stand-in shell: records the browser's request and answers with path,
// or as a cancel when there is none.
struct FakeShell {
  BROWSEINFOA request{};
  std::string title;
  std::string start;  // what the browser would select once made
  const char* path = nullptr;
  bool isFolder = true;
  int freed = 0;
  ITEMIDLIST item{};

  ShellBrowser Browser() {
    return {
        [this](BROWSEINFOA* info) -> LPITEMIDLIST {
          request = *info;
          title = info->lpszTitle;
          if (info->lpfn) start = reinterpret_cast<const char*>(info->lParam);
          return path ? &item : nullptr;
        },
        [this](LPCITEMIDLIST list, char* buffer) -> BOOL {
          EXPECT_EQ(list, &item);
          EXPECT_EQ(buffer[0], ' ');
          EXPECT_EQ(buffer[511], ' ');
          if (!isFolder) return FALSE;
          std::memcpy(buffer, path, std::strlen(path) + 1);
          return TRUE;
        },
        [this](LPITEMIDLIST list) {
          EXPECT_EQ(list, &item);
          ++freed;
        },
    };
  }
};

HWND kOwner = reinterpret_cast<HWND>(0x1234);

TEST(ShellBrowse, AskedOwnedByTheDialogFromTheDesktopForFileSystemFoldersOnly) {
  FakeShell shell;
  shell.path = "C:\\QVD\\OLD";
  EXPECT_EQ(BrowseWithShell(shell.Browser(), kOwner, "Select Source Path"), "C:\\QVD\\OLD");
  EXPECT_EQ(shell.request.hwndOwner, kOwner);
  EXPECT_EQ(shell.request.pidlRoot, nullptr);
  EXPECT_EQ(shell.request.pszDisplayName, nullptr);
  EXPECT_EQ(shell.title, "Select Source Path");
  EXPECT_EQ(shell.request.ulFlags, static_cast<UINT>(BIF_RETURNONLYFSDIRS));
  EXPECT_EQ(shell.request.lpfn, nullptr);
  EXPECT_EQ(shell.freed, 1);
}

TEST(ShellBrowse, ADriveRootKeepsItsBackslash) {
  FakeShell shell;
  shell.path = "C:\\";
  EXPECT_EQ(BrowseWithShell(shell.Browser(), kOwner, "Select Destination Path"), "C:\\");
}

TEST(ShellBrowse, ACancelGivesAnEmptyText) {
  FakeShell shell;
  EXPECT_EQ(BrowseWithShell(shell.Browser(), kOwner, "Select Source Path"), "");
  EXPECT_EQ(shell.freed, 0);
}

TEST(ShellBrowse, AnItemThatIsNoFolderGivesAnEmptyTextAndIsFreed) {
  FakeShell shell;
  shell.path = "";
  shell.isFolder = false;
  EXPECT_EQ(BrowseWithShell(shell.Browser(), kOwner, "Select Source Path"), "");
  EXPECT_EQ(shell.freed, 1);
}

TEST(ShellBrowse, OpensAtTheFolderOfTheTextBox) {
  FakeShell shell;
  shell.path = "C:\\QVD\\OLD";
  BrowseWithShell(shell.Browser(), kOwner, "Select Source Path", "C:\\QVD_OLDINST\\QVD\\R1");
  EXPECT_EQ(shell.request.lpfn, &SelectStartFolder);
  EXPECT_EQ(shell.start, "C:\\QVD_OLDINST\\QVD\\R1");
  // The root and the flag stay: the whole name space, folders only.
  EXPECT_EQ(shell.request.pidlRoot, nullptr);
  EXPECT_EQ(shell.request.ulFlags, static_cast<UINT>(BIF_RETURNONLYFSDIRS));
}

// The browser's own window, standing in: it records the selection asked of it.
std::string selected;
LRESULT CALLBACK RecordSelection(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == BFFM_SETSELECTIONA && wParam == TRUE)
    selected = reinterpret_cast<const char*>(lParam);
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST(ShellBrowse, TheMadeBrowserSelectsTheStartFolderAndNothingElse) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = RecordSelection;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "VantrelBrowserStandIn";
  RegisterClassA(&windowClass);
  HWND browser = CreateWindowExA(0, "VantrelBrowserStandIn", "", WS_POPUP, 0, 0, 10, 10, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(browser, nullptr);
  const char* start = "C:\\QVD\\ROBOTER\\QVD\\R1";
  selected.clear();
  SelectStartFolder(browser, BFFM_SELCHANGED, 0, reinterpret_cast<LPARAM>(start));
  EXPECT_EQ(selected, "");
  SelectStartFolder(browser, BFFM_INITIALIZED, 0, reinterpret_cast<LPARAM>(start));
  EXPECT_EQ(selected, start);
  DestroyWindow(browser);
}

}  // namespace
