// The console key by key. The Windows program has its real dialog and no
// terminal dialog, so no line editor reads keys here: key input is never
// offered, and the console's type-ahead and echo are handled as a run
// needs them.

#include <windows.h>

#include "platform/platform.h"

namespace platform {

bool BeginKeyInput() { return false; }

void EndKeyInput() {}

bool ReadKey(std::string& bytes) {
  bytes.clear();
  return false;
}

void DropTypeAhead() {
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  DWORD mode = 0;
  if (input != INVALID_HANDLE_VALUE && GetConsoleMode(input, &mode)) FlushConsoleInputBuffer(input);
}

void SetTerminalEcho(bool on) {
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  DWORD mode = 0;
  if (input == INVALID_HANDLE_VALUE || !GetConsoleMode(input, &mode)) return;
  SetConsoleMode(input, on ? (mode | ENABLE_ECHO_INPUT) : (mode & ~DWORD{ENABLE_ECHO_INPUT}));
}

}  // namespace platform
