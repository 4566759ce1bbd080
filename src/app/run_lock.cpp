#include "app/run_lock.h"

#include "app/context.h"

namespace {

constexpr int kPollMilliseconds = 200;

void Tell(Context& context, const std::string& message) {
  if (context.BatchMode)
    platform::WriteStderr("vantrel: " + message + "\n");
  else
    context.ShowMessage(message, MessageIcon::kCritical);
}

std::string WaitText(int seconds) {
  if (seconds > 0 && seconds % 60 == 0) {
    int minutes = seconds / 60;
    return std::to_string(minutes) + (minutes == 1 ? " minute" : " minutes");
  }
  return std::to_string(seconds) + (seconds == 1 ? " second" : " seconds");
}

}  // namespace

bool AcquireRunLock(Context& context, platform::FileLock& lock, const std::string& path,
                    const std::string& nothingDone) {
  const std::string host = platform::HostPath(path);
  bool acquired = false;
  platform::Status status = lock.TryAcquire(path, acquired);
  if (status && !acquired) {
    platform::WriteStderr("vantrel: another run is using " + host + "; waiting up to " +
                          WaitText(context.LockWaitSeconds) + "\n");
    const long polls = context.LockWaitSeconds * 1000L / kPollMilliseconds;
    for (long i = 0; status && !acquired && i < polls; ++i) {
      platform::SleepMilliseconds(kPollMilliseconds);
      status = lock.TryAcquire(path, acquired);
    }
  }
  if (!status) {
    Tell(context, "Cannot lock " + host + ": " + status.reason + "; " + nothingDone + ".");
    return false;
  }
  if (!acquired) {
    Tell(context, "Another run is still using " + host + " after " +
                      WaitText(context.LockWaitSeconds) + "; " + nothingDone + ".");
    return false;
  }
  return true;
}
