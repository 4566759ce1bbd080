#pragma once
// A request to stop, seen between two steps of a run: thrown there, it
// passes through every guard as the end of the process does, and the run
// catches it where it can still say so in its log, end its backup and let
// its locks go.

#include <string>

#include "core/process_end.h"
#include "platform/platform.h"

struct RunStopped : ProcessEnd {
  platform::StopCause cause;
};

// Ends the run at this point when a stop was requested: the step before
// is complete, the next one has not begun.
inline void StopIfRequested() {
  if (platform::StopCause cause = platform::StopRequested();
      cause != platform::StopCause::kNone)
    throw RunStopped{{1}, cause};
}
