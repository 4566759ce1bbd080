#pragma once
// One run at a time per program folder and per log: two runs sharing the
// exchange program's store files mix one installation's folds into the
// other's files.

#include <functional>
#include <string>

#include "platform/platform.h"
#include "undo/rollback.h"

struct Context;

// How long a lock is waited for, and how a refusal reaches the person
// running the program.
inline constexpr int kLockWaitSeconds = 600;
struct LockWait {
  int seconds = kLockWaitSeconds;
  std::function<void(const std::string& message)> tell;
};

// The refusal on standard error, as a batch run and a rollback tell it.
LockWait LockWaitOnStderr(int seconds);
// The run's wait: on standard error in batch mode, else in a message box.
LockWait LockWaitOf(Context& context);

// Takes lock on the file at path, waiting up to wait.seconds while another
// run holds it and saying so on standard error. False, with the reason
// told, when the lock was not taken: the caller must end before it writes
// anything. The reason ends with nothingDone: what the refusal left undone.
bool AcquireRunLock(const LockWait& wait, platform::FileLock& lock, const std::string& path,
                    const std::string& nothingDone = "nothing was upgraded");
bool AcquireRunLock(Context& context, platform::FileLock& lock, const std::string& path,
                    const std::string& nothingDone = "nothing was upgraded");

// A rollback's lock: as a batch run takes it, telling on standard error.
TakeLock RollbackLock(int seconds = kLockWaitSeconds);
