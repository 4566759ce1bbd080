// Locks between runs, waiting, and the signals a run must outlive.

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

#include <ctime>

#include "platform/posix/internal.h"

namespace platform {

using posix::Errno;

// Locking needs no write access: a lock file another user left (a root
// run's 0644 file) serves a later run all the same. Only an ordinary file
// is a lock file; a FIFO is opened without blocking and refused.
Status os::TryLock(const std::string& host, intptr_t& handle) {
  int fd = open(host.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) return Errno();
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    close(fd);
    return Status::Fail(kNoRegularFile);
  }
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    Status status = errno == EWOULDBLOCK ? Status::Ok() : Errno();
    close(fd);
    return status;
  }
  handle = fd;
  return Status::Ok();
}

void os::Unlock(intptr_t handle) {
  if (handle != -1) close(static_cast<int>(handle));
}

void SleepMilliseconds(int milliseconds) {
  timespec wait{milliseconds / 1000, static_cast<long>(milliseconds % 1000) * 1000000L};
  while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
  }
}

// signal fails only for a signal number that does not exist.
void IgnoreFileSizeSignal() { static_cast<void>(signal(SIGXFSZ, SIG_IGN)); }

}  // namespace platform
