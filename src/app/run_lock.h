#pragma once
// One run at a time per program folder and per log: two runs sharing the
// exchange program's store files mix one installation's folds into the
// other's files.

#include <string>

#include "platform/platform.h"

struct Context;

// Takes lock on the file at path, waiting up to context.LockWaitSeconds
// while another run holds it and saying so on standard error. False, with
// the reason told to the person running it, when the lock was not taken:
// the run must end before it writes anything. The reason ends with
// nothingDone: what the refusal left undone.
bool AcquireRunLock(Context& context, platform::FileLock& lock, const std::string& path,
                    const std::string& nothingDone = "nothing was upgraded");
