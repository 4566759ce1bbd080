// SIGINT, SIGTERM and SIGHUP become a request to stop the run. A child
// program gets the default actions back when it starts (exec resets caught
// signals), so Ctrl-C still ends an exchange program of the same group.

#include <signal.h>

#include "platform/platform.h"

namespace platform {

namespace {

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

void NoteStopSignal(int signal) {
  switch (signal) {
  case SIGINT:
    return RequestStop(StopCause::kInterrupt);
  case SIGTERM:
    return RequestStop(StopCause::kTerminate);
  default:
    return RequestStop(StopCause::kHangUp);
  }
}

void SetAction(void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  // Reads, writes and the wait for a child go on where the signal found them.
  action.sa_flags = SA_RESTART;
  for (int signal : kStopSignals)
    static_cast<void>(sigaction(signal, &action, nullptr));
}

} // namespace

void CatchStopRequests() { SetAction(NoteStopSignal); }

void ReleaseStopRequests() { SetAction(SIG_DFL); }

} // namespace platform
