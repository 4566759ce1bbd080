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

std::string BrowseWithShell(const ShellBrowser& shell, HWND owner, const std::string& title) {
  BROWSEINFOA info{};
  info.hwndOwner = owner;
  info.pidlRoot = nullptr;  // the desktop: the whole name space
  info.pszDisplayName = nullptr;
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  LPITEMIDLIST list = shell.BrowseForFolder(&info);
  if (!list) return {};
  std::string buffer(512, ' ');
  BOOL found = shell.GetPathFromIDList(list, buffer.data());
  shell.FreeIDList(list);
  if (!found) return {};
  return buffer.substr(0, buffer.find('\0'));
}
