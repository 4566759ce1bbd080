// The request to stop, shared by both platforms' catchers. A lock-free
// atomic int may be stored from a signal handler.

#include <atomic>

#include "platform/platform.h"

namespace platform {

namespace {
std::atomic<int> g_stopCause{0};
static_assert(std::atomic<int>::is_always_lock_free);
} // namespace

void RequestStop(StopCause cause) {
  // The first cause is the one the log names; a second Ctrl-C changes nothing.
  int none = 0;
  g_stopCause.compare_exchange_strong(none, static_cast<int>(cause));
}

StopCause StopRequested() { return static_cast<StopCause>(g_stopCause.load()); }

void ClearStopRequest() { g_stopCause.store(0); }

std::string StopCauseText(StopCause cause) {
  switch (cause) {
  case StopCause::kNone:
    return "not stopped";
  case StopCause::kInterrupt:
    return "SIGINT";
  case StopCause::kTerminate:
    return "SIGTERM";
  case StopCause::kHangUp:
    return "SIGHUP";
  case StopCause::kConsole:
    return "the console was closed or interrupted";
  case StopCause::kSession:
    return "the session is ending";
  case StopCause::kUser:
    return "asked in the progress window";
  }
  return "unknown cause";
}

} // namespace platform
