// Files written at their end and put on the disk when asked.

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/posix/internal.h"

namespace platform::os {

Status CreateForAppend(const std::string& host, intptr_t& file) {
  const int fd = open(host.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0666);
  if (fd < 0) return posix::Errno();
  posix::NoteAdded(host, false);
  file = fd;
  return Status::Ok();
}

Status SyncFile(intptr_t file) {
  if (fsync(static_cast<int>(file)) != 0) return posix::Errno();
  return Status::Ok();
}

void CloseFile(intptr_t file) { close(static_cast<int>(file)); }

// File systems that cannot sync a folder say so with EINVAL.
Status SyncFolderAt(const std::string& host) {
  const int fd = open(host.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? Status::Ok() : posix::Errno();
  Status status;
  if (fsync(fd) != 0 && errno != EINVAL) status = posix::Errno();
  close(fd);
  return status;
}

// A file this process may not open, by its mode, is put on the disk with
// everything else of its file system.
Status SyncFileAt(const std::string& host) {
  bool whole = false;
  int fd = open(host.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0 && errno == EACCES) fd = open(host.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0 && errno == EACCES) {
    whole = true;
    fd = open(FolderOf(host).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  }
  if (fd < 0) return errno == ENOENT ? Status::Ok() : posix::Errno();
#ifdef __linux__
  const int synced = whole ? syncfs(fd) : fsync(fd);
#else
  const int synced = whole ? (sync(), 0) : fsync(fd);
#endif
  Status status;
  if (synced != 0 && errno != EINVAL) status = posix::Errno();
  close(fd);
  return status;
}

}  // namespace platform::os
