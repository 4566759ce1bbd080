// Date and time, and the standard streams.

#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>

#include "platform/os.h"
#include "platform/platform.h"

namespace platform {

namespace {
std::string FormatNow(const char* format) {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char buffer[128];
  std::size_t size = std::strftime(buffer, sizeof buffer, format, &local);
  return std::string(buffer, size);
}
}  // namespace

std::string DateText() { return FormatNow("%x"); }
std::string TimeText() { return FormatNow("%X"); }
std::string StampText() { return FormatNow("%Y-%m-%d_%H-%M-%S"); }

void AttachParentConsole() {}

bool StderrIsTerminal() { return isatty(STDERR_FILENO) == 1; }

int StderrTerminalColumns() {
  struct winsize size {};
  if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) != 0) return 0;
  return size.ws_col;
}

// A process here always has its three streams, if only /dev/null.
bool StderrReachesSomeone() { return true; }

bool ConsoleIsTerminal() { return isatty(STDIN_FILENO) == 1 && isatty(STDOUT_FILENO) == 1; }

// Read through stdio, not the C++ streams: their start-up work would be
// paid by every start of the exchange program, which links this file too.
bool ReadStdinLine(std::string& line) {
  line.clear();
  int c = std::getc(stdin);
  if (c == EOF) return false;
  for (; c != EOF && c != '\n'; c = std::getc(stdin)) line.push_back(static_cast<char>(c));
  // A terminal in raw mode or a pasted text may end the line with CR LF.
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

// A console that cannot take the text has nowhere to report that to: the
// log holds everything that counts.
void WriteStderr(const std::string& text) {
  (void)std::fwrite(text.data(), 1, text.size(), stderr);
  (void)std::fflush(stderr);
}

void WriteStdout(const std::string& text) {
  (void)std::fwrite(text.data(), 1, text.size(), stdout);
  (void)std::fflush(stdout);
}

}  // namespace platform
