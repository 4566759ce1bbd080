#include "app/run_lock.h"

#include "core/context.h"

namespace {

constexpr int kPollMilliseconds = 200;

std::string WaitText(int seconds) {
  if (seconds > 0 && seconds % 60 == 0) {
    int minutes = seconds / 60;
    return std::to_string(minutes) + (minutes == 1 ? " minute" : " minutes");
  }
  return std::to_string(seconds) + (seconds == 1 ? " second" : " seconds");
}

bool StopRequestedMeanwhile() {
  return platform::StopRequested() != platform::StopCause::kNone;
}

}  // namespace

LockWait LockWaitOnStderr(int seconds) {
  return {seconds, [](const std::string& message) {
            platform::WriteStderr("vantrel: " + message + "\n");
          }};
}

LockWait LockWaitOf(Context& context) {
  if (context.BatchMode) return LockWaitOnStderr(context.LockWaitSeconds);
  return {context.LockWaitSeconds, [&context](const std::string& message) {
            context.ShowMessage(message, MessageIcon::kCritical);
          }};
}

bool AcquireRunLock(Context& context, platform::FileLock& lock, const std::string& path,
                    const std::string& nothingDone) {
  return AcquireRunLock(LockWaitOf(context), lock, path, nothingDone);
}

TakeLock RollbackLock(int seconds) {
  return [seconds](platform::FileLock& lock, const std::string& path) {
    return AcquireRunLock(LockWaitOnStderr(seconds), lock, path, "nothing was rolled back");
  };
}

bool AcquireRunLock(const LockWait& wait, platform::FileLock& lock, const std::string& path,
                    const std::string& nothingDone) {
  const std::string host = platform::HostPath(path);
  bool acquired = false;
  platform::Status status = lock.TryAcquire(path, acquired);
  if (status && !acquired) {
    platform::WriteStderr("vantrel: another run is using " + host + "; waiting up to " +
                          WaitText(wait.seconds) + "\n");
    const long polls = wait.seconds * 1000L / kPollMilliseconds;
    for (long i = 0;
         status && !acquired && i < polls && !StopRequestedMeanwhile(); ++i) {
      platform::SleepMilliseconds(kPollMilliseconds);
      status = lock.TryAcquire(path, acquired);
    }
  }
  if (!acquired && StopRequestedMeanwhile()) {
    wait.tell("The run was stopped (" +
              platform::StopCauseText(platform::StopRequested()) +
              ") while waiting for " + host + "; " + nothingDone + ".");
    return false;
  }
  if (!status) {
    wait.tell("Cannot lock " + host + ": " + status.reason + "; " + nothingDone + ".");
    return false;
  }
  if (!acquired) {
    wait.tell("Another run is still using " + host + " after " + WaitText(wait.seconds) + "; " +
              nothingDone + ".");
    return false;
  }
  return true;
}
