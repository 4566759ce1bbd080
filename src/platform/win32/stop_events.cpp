// The console's control events become a request to stop the run. The
// handler runs on a thread of its own; for the console's close the process
// ends when the handler returns, so it waits there while the run stops at
// its next step and ends the process itself.

#include "platform/win32/internal.h"

namespace platform {

namespace {

// Windows ends the process some seconds after a close event regardless.
constexpr DWORD kCloseGraceMilliseconds = 30000;

BOOL WINAPI NoteControlEvent(DWORD event) {
  switch (event) {
  case CTRL_C_EVENT:
    RequestStop(StopCause::kInterrupt);
    return TRUE;
  case CTRL_BREAK_EVENT:
    RequestStop(StopCause::kConsole);
    return TRUE;
  case CTRL_CLOSE_EVENT:
  case CTRL_LOGOFF_EVENT:
  case CTRL_SHUTDOWN_EVENT:
    RequestStop(event == CTRL_CLOSE_EVENT ? StopCause::kConsole
                                          : StopCause::kSession);
    Sleep(kCloseGraceMilliseconds);
    return TRUE;
  default:
    return FALSE;
  }
}

} // namespace

void CatchStopRequests() { SetConsoleCtrlHandler(NoteControlEvent, TRUE); }

void ReleaseStopRequests() { SetConsoleCtrlHandler(NoteControlEvent, FALSE); }

} // namespace platform
