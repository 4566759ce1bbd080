// Date and time, and the standard streams.

#include <cstdio>
#include <iostream>

#include "platform/win32/internal.h"

namespace platform {

namespace {
// A text the regional settings give, by a call that tells its size when
// asked for it with no buffer.
template <typename Format>
std::string Regional(Format format) {
  int size = format(nullptr, 0);
  if (size <= 0) return {};
  std::string text(static_cast<std::size_t>(size), '\0');
  size = format(text.data(), size);
  text.resize(size > 0 ? static_cast<std::size_t>(size - 1) : 0);
  return text;
}
}  // namespace

std::string DateText() {
  return Regional([](char* buffer, int size) {
    return GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, buffer, size);
  });
}

std::string TimeText() {
  return Regional([](char* buffer, int size) {
    return GetTimeFormatA(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, buffer, size);
  });
}

std::string StampText() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u_%02u-%02u-%02u", unsigned{now.wYear},
                unsigned{now.wMonth}, unsigned{now.wDay}, unsigned{now.wHour},
                unsigned{now.wMinute}, unsigned{now.wSecond});
  return text;
}

namespace {
// A stream a script redirected (a file, a pipe) is kept as it is.
bool HasStream(DWORD which) {
  HANDLE handle = GetStdHandle(which);
  return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
         GetFileType(handle) != FILE_TYPE_UNKNOWN;
}
}  // namespace

void AttachParentConsole() {
  const bool out = HasStream(STD_OUTPUT_HANDLE);
  const bool err = HasStream(STD_ERROR_HANDLE);
  if ((out && err) || !AttachConsole(ATTACH_PARENT_PROCESS)) return;
  // The runtime's streams were set up without a console: they are opened
  // on it anew.
  if (!out && std::freopen("CONOUT$", "w", stdout) == nullptr) return;
  if (!err) (void)std::freopen("CONOUT$", "w", stderr);
}

bool StderrReachesSomeone() { return HasStream(STD_ERROR_HANDLE); }

bool StderrIsTerminal() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

int StderrTerminalColumns() {
  CONSOLE_SCREEN_BUFFER_INFO info{};
  if (!GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &info)) return 0;
  return info.srWindow.Right - info.srWindow.Left + 1;
}

bool ConsoleIsTerminal() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0 &&
         GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

bool ReadStdinLine(std::string& line) {
  if (!std::getline(std::cin, line)) return false;
  // The console and redirected text files end their lines with CR LF.
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

void WriteStderr(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

void WriteStdout(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

}  // namespace platform
