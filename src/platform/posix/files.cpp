// Creating, reading, copying and replacing files. Every replace writes a
// temporary file in the target's folder and renames it over the target.

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/durability.h"
#include "platform/posix/internal.h"

namespace platform {

using posix::Errno;
using posix::kDosAttrib;
using posix::MapPath;

Status os::WriteSome(intptr_t file, const char* data, std::size_t size, std::size_t& wrote) {
  ssize_t written = 0;
  do written = write(static_cast<int>(file), data, size);
  while (written < 0 && errno == EINTR);
  if (written < 0) return Errno();
  wrote = static_cast<std::size_t>(written);
  return Status::Ok();
}

namespace {

// Gives the owner write permission on a folder that lacks it for the life
// of the object: on the controller read-only does not stop writes into a
// folder, and a folder made read-only by an earlier run must still take
// its new files. Asked for only once a change was refused: most folders
// are writable, and a look at each before every change would cost a call.
class FolderAccess {
 public:
  explicit FolderAccess(std::string folder) : folder_(std::move(folder)) {}
  ~FolderAccess() {
    if (changed_) chmod(folder_.c_str(), mode_);
  }
  FolderAccess(const FolderAccess&) = delete;
  FolderAccess& operator=(const FolderAccess&) = delete;

  // Whether the folder was made writable now, so that the refused change
  // is worth a second try.
  bool Grant() {
    struct stat info;
    if (changed_ || stat(folder_.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        (info.st_mode & S_IWUSR) || info.st_uid != geteuid())
      return false;
    mode_ = info.st_mode & 07777;
    changed_ = chmod(folder_.c_str(), mode_ | S_IWUSR) == 0;
    return changed_;
  }

 private:
  std::string folder_;
  mode_t mode_ = 0;
  bool changed_ = false;
};

// Makes change (a call that answers 0 or -1 with errno) in the folder
// that holds host, once more with the folder made writable where it was
// refused for the lack of it.
template <typename Change>
int InWritableFolder(FolderAccess& access, Change change) {
  const int result = change();
  if (result == 0 || errno != EACCES) return result;
  if (access.Grant()) return change();
  errno = EACCES;
  return result;
}

// Why the open file fd cannot be read as an ordinary file, if it cannot;
// info is what the file system said of it.
Status CheckOrdinary(int fd, struct stat& info) {
  if (fstat(fd, &info) != 0) return Errno();
  if (S_ISDIR(info.st_mode)) return Status::Fail(std::strerror(EISDIR));
  if (!S_ISREG(info.st_mode)) return Status::Fail(kNoRegularFile);
  return Status::Ok();
}

// Opens an ordinary file for reading; info is its stat. FIFOs and devices
// are refused without waiting for a writer (O_NONBLOCK), and with noFollow
// a symbolic link is refused as well. The flag stays: a read of an ordinary
// file never waits for a writer anyway, and clearing it would cost two
// calls for every file. openat, not open: some C libraries follow an open
// with O_CLOEXEC by a call of their own to set the flag once more.
// missing, when given, tells whether nothing is at host by that name.
Status OpenRegular(const std::string& host, bool noFollow, int& fd, struct stat& info,
                   bool* missing = nullptr) {
  fd = openat(AT_FDCWD, host.c_str(),
              O_RDONLY | O_CLOEXEC | O_NONBLOCK | (noFollow ? O_NOFOLLOW : 0));
  if (fd < 0) {
    if (missing) *missing = errno == ENOENT || errno == ENOTDIR;
    Status status = errno == ELOOP && noFollow ? Status::Fail(kLinkNotFollowed) : Errno();
    return status;
  }
  Status status = CheckOrdinary(fd, info);
  if (!status) {
    close(fd);
    fd = -1;
  }
  return status;
}

// Opens the ordinary file at path for reading. Outside a run a path that
// exists as written is opened as it is, in one call: its names are looked
// up only when it is not there so (during a run the cache knows them).
Status OpenForReading(const std::string& path, int& fd, struct stat& info) {
  if (std::string written = posix::HostPathAsWritten(path); !written.empty()) {
    bool missing = false;
    Status status = OpenRegular(written, false, fd, info, &missing);
    if (!missing) return status;
  }
  std::string host = MapPath(path);
  if (host.empty()) return Status::Fail(std::strerror(ENOENT));
  return OpenRegular(host, false, fd, info);
}

// The next number for a temporary file's name; with the process id in
// the name no other writer takes the same.
unsigned NextTempNumber() {
  static unsigned next = 0;
  return next++;
}

// A temporary file beside target, for writes that replace target in one
// step. It is made by name, the writer's process id in it, in one call:
// a writer killed half-way leaves it behind, and the rollback and the next
// copy into that folder remove it once no process of that id runs
// (RemoveStaleTempFiles).
class TempFile {
 public:
  explicit TempFile(const std::string& target) : folder_(os::FolderOf(target)), access_(folder_) {
    int made = InWritableFolder(access_, [this] { return Create(); });
    if (made != 0) status_ = Errno();
  }
  ~TempFile() {
    if (fd_ >= 0) close(fd_);
    if (!committed_ && !path_.empty()) unlink(path_.c_str());
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  const Status& status() const { return status_; }
  int fd() const { return fd_; }
  // The extended attribute goes first: without privileges it cannot be
  // written once the mode has taken the write permission away.
  Status Commit(const std::string& target, mode_t mode, const std::string& dosBits) {
    if (!dosBits.empty()) fsetxattr(fd_, kDosAttrib, dosBits.data(), dosBits.size(), 0);
    if (fchmod(fd_, mode) != 0) return Errno();
    if (Status status = SyncOrStartWriting(); !status) return status;
    if (close(fd_) != 0) {
      fd_ = -1;
      return Errno();
    }
    fd_ = -1;
    if (rename(path_.c_str(), target.c_str()) != 0) return Errno();
    committed_ = true;
    // A rename counts as done only once the folder holding it is on the
    // disk, now or with the batch.
    if (!durable::EachWrite()) return Status::Ok();
    durable::CountSync();
    return os::SyncFolderAt(folder_);
  }

 private:
  // 0 once the file is made, else -1 with errno. A name taken already
  // (left by an earlier process of the same id) is passed over; a link
  // in its place is neither followed nor replaced.
  int Create() {
    for (int attempt = 0; attempt < 100; ++attempt) {
      std::string name = folder_ + "/" + TempStem() + std::to_string(NextTempNumber());
      fd_ = openat(AT_FDCWD, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                   0600);
      if (fd_ >= 0) {
        path_ = std::move(name);
        return 0;
      }
      if (errno != EEXIST) return -1;
    }
    return -1;
  }

  // Written one by one, the bytes are on the disk before the rename; in a
  // batch the disk starts on them now and the batch waits for them.
  Status SyncOrStartWriting() {
    if (durable::EachWrite()) {
      durable::CountSync();
      return fsync(fd_) == 0 ? Status::Ok() : Errno();
    }
#ifdef __linux__
    sync_file_range(fd_, 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
    return Status::Ok();
  }

  std::string folder_;
  FolderAccess access_;
  std::string path_;  // empty until the file is made
  int fd_ = -1;
  bool committed_ = false;
  Status status_;
};

std::string DosBitsText(const std::string& host) {
  char buffer[64];
  ssize_t size = getxattr(host.c_str(), kDosAttrib, buffer, sizeof buffer);
  return size > 0 ? std::string(buffer, static_cast<std::size_t>(size)) : std::string();
}

}  // namespace

namespace os {

std::string FolderOf(const std::string& host) {
  std::size_t slash = host.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? std::string("/") : host.substr(0, slash);
}

// The folder is read and cleaned through one handle: a link put in its
// place meanwhile is not followed to files elsewhere.
void RemoveStaleTempFiles(const std::string& host) {
  int fd = open(host.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return;
  DIR* dir = fdopendir(fd);
  if (!dir) {
    close(fd);
    return;
  }
  const std::size_t prefix = std::strlen(kTempPrefix);
  std::vector<std::string> stale;
  while (dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (name.compare(0, prefix, kTempPrefix) != 0) continue;
    long pid = std::strtol(name.c_str() + prefix, nullptr, 10);
    if (pid > 0 && kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) stale.push_back(name);
  }
  for (const std::string& name : stale)
    if (unlinkat(dirfd(dir), name.c_str(), 0) == 0) posix::NoteRemoved(host + "/" + name);
  closedir(dir);
}

Status CreateFolder(const std::string& host) {
  FolderAccess access(FolderOf(host));
  if (InWritableFolder(access, [&] { return mkdir(host.c_str(), 0777); }) != 0) return Errno();
  posix::NoteAdded(host, true);
  return Status::Ok();
}

// A source that is a symbolic link is refused as it is opened: it may point
// anywhere on the host, and its target would land in the new installation.
Status CheckCopySource(const std::string&) { return Status::Ok(); }

Status Copy(const std::string& from, const std::string& to) {
  int in = -1;
  struct stat info;
  if (Status status = OpenRegular(from, true, in, info); !status) return status;
  // A folder in the target's place is found by the rename: EISDIR.
  TempFile temp(to);
  if (!temp.status()) {
    close(in);
    return temp.status();
  }
  // Sized to the file, up to a limit, and not cleared: most files are a few
  // kilobytes, and a large cleared buffer for each would cost more than
  // the copy.
  const std::size_t size = std::clamp<std::size_t>(
      static_cast<std::size_t>(std::max<off_t>(info.st_size, 0)) + 1, 4096, 1 << 20);
  std::unique_ptr<char[]> buffer(new char[size]);
  Status status;
  for (;;) {
    ssize_t got = read(in, buffer.get(), size);
    if (got < 0) {
      if (errno == EINTR) continue;
      status = Errno();
      break;
    }
    if (got == 0) break;
    status = os::WriteAll(temp.fd(), buffer.get(), static_cast<std::size_t>(got));
    if (!status) break;
  }
  close(in);
  if (!status) return status;
  status = temp.Commit(to, info.st_mode & 07777, DosBitsText(from));
  if (status) posix::NoteAdded(to, false);
  return status;
}

Status RemoveFile(const std::string& host) {
  FolderAccess access(FolderOf(host));
  if (InWritableFolder(access, [&] { return unlink(host.c_str()); }) != 0) return Errno();
  posix::NoteRemoved(host);
  return Status::Ok();
}

Status RemoveFolder(const std::string& host) {
  FolderAccess access(FolderOf(host));
  if (InWritableFolder(access, [&] { return rmdir(host.c_str()); }) != 0) return Errno();
  posix::NoteRemoved(host);
  return Status::Ok();
}

Status AddHardLink(const std::string& from, const std::string& to) {
  if (::link(from.c_str(), to.c_str()) != 0) return Errno();
  posix::NoteAdded(to, false);
  return Status::Ok();
}

}  // namespace os

namespace {

// The size first (info, the open file's stat), so that a large file is
// held once, not once more while its string grows; a file that grows
// meanwhile is read to its end.
Status ReadAll(int fd, const struct stat& info, std::string& bytes) {
  bytes.resize(static_cast<std::size_t>(info.st_size));
  std::size_t filled = 0;
  char more[1 << 16];
  for (;;) {
    const bool inPlace = filled < bytes.size();
    char* into = inPlace ? bytes.data() + filled : more;
    const std::size_t room = inPlace ? bytes.size() - filled : sizeof more;
    ssize_t got = read(fd, into, room);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return Errno();
    if (got == 0) break;
    if (!inPlace) bytes.append(more, static_cast<std::size_t>(got));
    filled += static_cast<std::size_t>(got);
    // The size the file had when it was opened is what is read; a file
    // that says it is empty (as some the kernel makes do) is read to its end.
    if (inPlace && filled == bytes.size()) break;
  }
  bytes.resize(filled);
  return Status::Ok();
}

}  // namespace

Status ReadFileBytes(const std::string& path, std::string& bytes) {
  bytes.clear();
  int fd = -1;
  struct stat info;
  if (Status status = OpenForReading(path, fd, info); !status) return status;
  Status status = ReadAll(fd, info, bytes);
  close(fd);
  if (!status) bytes.clear();
  return status;
}

namespace os {
namespace {

// The mask of the process's new files, asked once: nothing in the system
// changes it while it runs, and it can be asked only by setting it twice.
mode_t ProcessMask() {
  static const mode_t mask = [] {
    const mode_t current = umask(0);
    umask(current);
    return current;
  }();
  return mask;
}

// The target keeps its mode and its extended attribute; a new file gets
// the mode the process's mask leaves. A folder in the target's place is
// refused from the same stat.
class PosixReplacement : public Replacement {
 public:
  explicit PosixReplacement(const std::string& host) : host_(host) {
    struct stat info;
    if (stat(host_.c_str(), &info) != 0) {
      mode_ &= ~ProcessMask();
    } else if (S_ISDIR(info.st_mode)) {
      refused_ = Status::Fail(std::strerror(EISDIR));
      return;
    } else {
      mode_ = info.st_mode & 07777;
      dosBits_ = DosBitsText(host_);
    }
    temp_ = std::make_unique<TempFile>(host_);
  }
  Status Opened() const override { return temp_ ? temp_->status() : refused_; }

  Status Write(const char* data, std::size_t size) override {
    return temp_ ? os::WriteAll(temp_->fd(), data, size) : refused_;
  }
  Status Commit() override {
    if (!temp_) return refused_;
    Status status = temp_->Commit(host_, mode_, dosBits_);
    if (status) posix::NoteAdded(host_, false);
    return status;
  }

 private:
  std::string host_;
  mode_t mode_ = 0666;
  std::string dosBits_;
  std::unique_ptr<TempFile> temp_;  // none where the target is a folder
  Status refused_;
};

}  // namespace

std::unique_ptr<Replacement> ReplacementFor(const std::string& host) {
  return std::make_unique<PosixReplacement>(host);
}

Status NotOpen() { return Status::Fail(std::strerror(EBADF)); }

}  // namespace os

FileBytes::~FileBytes() {
  if (mapped_) munmap(mapped_, mappedSize_);
}

Status FileBytes::Open(const std::string& path) {
  // A FIFO would block the open until a writer comes, and a device never
  // ends: only an ordinary file is opened for good.
  int fd = -1;
  struct stat info;
  if (Status status = OpenForReading(path, fd, info); !status) return status;
    // The whole file is read through anyway: its pages are mapped in one
    // call where the system can, not one fault at a time.
#ifdef MAP_POPULATE
  constexpr int kMapAtOnce = MAP_POPULATE;
#else
  constexpr int kMapAtOnce = 0;
#endif
  // Small files and what cannot be mapped are read.
  constexpr std::size_t kMapFrom = 1 << 20;
  const std::size_t size = static_cast<std::size_t>(info.st_size);
  if (size >= kMapFrom) {
    void* mapped = mmap(nullptr, size, PROT_READ, MAP_PRIVATE | kMapAtOnce, fd, 0);
    if (mapped != MAP_FAILED) {
      close(fd);
      mapped_ = mapped;
      mappedSize_ = size;
      view_ = std::string_view(static_cast<const char*>(mapped), size);
      return Status::Ok();
    }
  }
  Status status = ReadAll(fd, info, copy_);
  close(fd);
  view_ = copy_;
  return status;
}

InputFile::~InputFile() { Close(); }

Status InputFile::Open(const std::string& path) {
  Close();
  int fd = -1;
  struct stat info;
  if (Status status = OpenForReading(path, fd, info); !status) return status;
  handle_ = fd;
  return Status::Ok();
}

Status InputFile::Read(char* buffer, std::size_t size, std::size_t& got) {
  got = 0;
  if (handle_ < 0) return os::NotOpen();
  for (;;) {
    ssize_t n = read(static_cast<int>(handle_), buffer, size);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Errno();
    got = static_cast<std::size_t>(n);
    return Status::Ok();
  }
}

void InputFile::Close() {
  if (handle_ >= 0) close(static_cast<int>(handle_));
  handle_ = -1;
}

}  // namespace platform
