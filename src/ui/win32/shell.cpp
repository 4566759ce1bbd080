#include "ui/win32/windows_ui.h"

MessageBoxFunction SystemMessageBox() {
  return [](HWND owner, const std::string& text, const std::string& title, UINT type) {
    return MessageBoxA(owner, text.c_str(), title.c_str(), type);
  };
}

ShellBrowser SystemShellBrowser() {
  return {
      [](BROWSEINFOA* info) { return SHBrowseForFolderA(info); },
      [](LPCITEMIDLIST list, char* path) { return SHGetPathFromIDListA(list, path); },
      [](LPITEMIDLIST list) { CoTaskMemFree(list); },
  };
}

int CALLBACK SelectStartFolder(HWND browser, UINT message, LPARAM, LPARAM start) {
  if (message == BFFM_INITIALIZED && start)
    SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, start);
  return 0;
}

std::string BrowseWithShell(const ShellBrowser& shell, HWND owner, const std::string& title,
                            const std::string& start) {
  BROWSEINFOA info{};
  info.hwndOwner = owner;
  info.pidlRoot = nullptr;  // the desktop: the whole name space
  info.pszDisplayName = nullptr;
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  // The browser opens at the folder the text box names, not collapsed at
  // the desktop; a folder that is not there leaves it at the desktop.
  if (!start.empty()) {
    info.lpfn = SelectStartFolder;
    info.lParam = reinterpret_cast<LPARAM>(start.c_str());
  }
  LPITEMIDLIST list = shell.BrowseForFolder(&info);
  if (!list) return {};
  std::string buffer(512, ' ');
  BOOL found = shell.GetPathFromIDList(list, buffer.data());
  shell.FreeIDList(list);
  if (!found) return {};
  return buffer.substr(0, buffer.find('\0'));
}
