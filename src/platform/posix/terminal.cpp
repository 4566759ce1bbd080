// The terminal key by key, for the terminal dialog's line editor.

#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include "platform/platform.h"

namespace platform {

namespace {

// The terminal's settings before key input began, put back at its end.
struct termios saved;
bool keyInput = false;

// An escape sequence's bytes follow its ESC at once; a lone ESC is a key.
bool MoreBytesWaiting() {
  pollfd ready{STDIN_FILENO, POLLIN, 0};
  return poll(&ready, 1, 30) > 0;
}

bool ReadByte(char& byte) { return read(STDIN_FILENO, &byte, 1) == 1; }

// The end of a CSI sequence (ESC [ ... final) or an SS3 one (ESC O x).
bool EndsSequence(const std::string& bytes) {
  if (bytes.size() < 3) return false;
  if (bytes[1] == 'O') return true;
  char last = bytes.back();
  return last >= 0x40 && last <= 0x7E;
}

}  // namespace

bool BeginKeyInput() {
  if (keyInput) return true;
  if (!isatty(STDIN_FILENO) || tcgetattr(STDIN_FILENO, &saved) != 0) return false;
  struct termios raw = saved;
  raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  if (tcsetattr(STDIN_FILENO, TCSANOW, &raw) != 0) return false;
  keyInput = true;
  return true;
}

void EndKeyInput() {
  if (!keyInput) return;
  tcsetattr(STDIN_FILENO, TCSANOW, &saved);
  keyInput = false;
}

bool ReadKey(std::string& bytes) {
  bytes.clear();
  char byte = 0;
  if (!ReadByte(byte)) return false;
  bytes.push_back(byte);
  if (byte != '\x1b') return true;
  while (bytes.size() < 8 && MoreBytesWaiting() && ReadByte(byte)) {
    bytes.push_back(byte);
    if (bytes.size() == 2 && byte != '[' && byte != 'O') break;
    if (EndsSequence(bytes)) break;
  }
  return true;
}

void DropTypeAhead() {
  if (isatty(STDIN_FILENO)) tcflush(STDIN_FILENO, TCIFLUSH);
}

void SetTerminalEcho(bool on) {
  struct termios settings;
  if (!isatty(STDIN_FILENO) || tcgetattr(STDIN_FILENO, &settings) != 0) return;
  if (on)
    settings.c_lflag |= ECHO;
  else
    settings.c_lflag &= static_cast<tcflag_t>(~ECHO);
  tcsetattr(STDIN_FILENO, TCSANOW, &settings);
}

}  // namespace platform
