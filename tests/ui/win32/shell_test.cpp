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
  const char* path = nullptr;
  bool isFolder = true;
  int freed = 0;
  ITEMIDLIST item{};

  ShellBrowser Browser() {
    return {
        [this](BROWSEINFOA* info) -> LPITEMIDLIST {
          request = *info;
          title = info->lpszTitle;
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

}  // namespace
