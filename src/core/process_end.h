#pragma once
// The end of the process "at once": thrown with the exit code and caught
// only by the entry, so that a run driven in-process returns its code to
// the caller instead of ending the caller's process.

struct ProcessEnd {
  int exitCode;
};
