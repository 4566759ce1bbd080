// The POSIX implementation of the platform layer.
//
// System-form paths map to host paths this way:
// - "X:" is the folder named by VANTREL_DRIVE_X; C: defaults to
//   $HOME/.vantrel/c. A drive without a folder does not exist.
// - A path that begins with "\" or "/" is a host absolute path.
// - Each component matches an existing entry without regard to case when
//   the exact name does not exist, as on the controller's file system.
// Hidden, system and archive live in the extended attribute user.DOSATTRIB
// as text "0x" + hex; read-only is the absence of write permission.

#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <spawn.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/paths.h"
#include "platform/platform.h"

extern char** environ;

namespace platform {
namespace {

constexpr const char* kDosAttrib = "user.DOSATTRIB";
constexpr int kXattrBits = kHidden | kSystem | kArchive;
// Temporary files are named with this prefix and the writer's process id.
constexpr const char* kTempPrefix = ".vantrel-tmp-";

Status Errno() { return Status::Fail(std::strerror(errno)); }

std::string DriveFolder(char drive) {
  std::string name = "VANTREL_DRIVE_";
  name += drive;
  if (const char* value = std::getenv(name.c_str()); value && *value) return value;
  if (drive != 'C') return {};
  if (const char* home = std::getenv("HOME"); home && *home)
    return std::string(home) + "/.vantrel/c";
  return "/tmp/vantrel-c-" + std::to_string(getuid());
}

// The name of an entry of folder that equals name without regard to case.
// Where several do, a folder is preferred when the name leads further down
// the path (the program "vantrel" beside the folder "Vantrel"), and then
// the first in byte order, so the choice never depends on the order of
// the directory.
std::string MatchInFolder(const std::string& folder, const std::string& name, bool wantFolder) {
  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return {};
  std::string wanted = UpperAscii(name);
  std::string found;
  bool foundIsFolder = false;
  while (dirent* entry = readdir(dir)) {
    if (UpperAscii(entry->d_name) != wanted) continue;
    bool isFolder = false;
    if (wantFolder) {
      struct stat info;
      std::string child = (folder.empty() ? std::string(".") : folder) + "/" + entry->d_name;
      isFolder = stat(child.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    }
    bool better = found.empty() || (isFolder && !foundIsFolder) ||
                  (isFolder == foundIsFolder && std::string(entry->d_name) < found);
    if (better) {
      found = entry->d_name;
      foundIsFolder = isFolder;
    }
  }
  closedir(dir);
  return found;
}

std::string MapPath(const std::string& path) {
  PathParts parts = SplitSystemPath(path);
  std::string host;
  if (parts.drive) {
    host = DriveFolder(parts.drive);
    if (host.empty()) return {};
    while (host.size() > 1 && host.back() == '/') host.pop_back();
    if (host == "/") host.clear();
  } else if (!parts.rooted) {
    host = ".";
  }
  bool parentExists = true;
  for (std::size_t i = 0; i < parts.components.size(); ++i) {
    const std::string& component = parts.components[i];
    const bool last = i + 1 == parts.components.size();
    std::string candidate = host + "/" + component;
    struct stat info;
    if (parentExists && component != "." && component != ".." &&
        (last ? lstat(candidate.c_str(), &info) != 0
              : stat(candidate.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))) {
      std::string match = MatchInFolder(host.empty() ? "/" : host, component, !last);
      if (!match.empty())
        candidate = host + "/" + match;
      else
        parentExists = false;
    }
    host = candidate;
  }
  if (host.empty()) host = "/";
  return host;
}

int ReadDosBits(const std::string& host) {
  char buffer[64];
  ssize_t size = getxattr(host.c_str(), kDosAttrib, buffer, sizeof buffer - 1);
  if (size <= 0) return 0;
  buffer[size] = 0;
  return static_cast<int>(std::strtol(buffer, nullptr, 16)) & kXattrBits;
}

int AttributesOf(const std::string& host, const struct stat& info) {
  int attributes = ReadDosBits(host);
  if (S_ISDIR(info.st_mode)) attributes |= kFolder;
  if ((info.st_mode & 0222) == 0) attributes |= kReadOnly;
  return attributes;
}

Status WriteDosBits(const std::string& host, int attributes) {
  int bits = attributes & kXattrBits;
  if (bits == 0) {
    if (removexattr(host.c_str(), kDosAttrib) != 0 && errno != ENODATA &&
        errno != ENOTSUP)
      return Errno();
    return Status::Ok();
  }
  char text[16];
  std::snprintf(text, sizeof text, "0x%x", bits);
  if (setxattr(host.c_str(), kDosAttrib, text, std::strlen(text), 0) != 0) return Errno();
  return Status::Ok();
}

Status SetHostAttributes(const std::string& host, int attributes) {
  struct stat info;
  if (stat(host.c_str(), &info) != 0) return Errno();
  mode_t mode = info.st_mode & 07777;
  mode_t wanted = (attributes & kReadOnly) ? (mode & ~0222) : (mode | 0200);
  if (wanted != mode && chmod(host.c_str(), wanted) != 0) return Errno();
  return WriteDosBits(host, attributes);
}

Status WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t written = write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return Errno();
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return Status::Ok();
}

// A temporary file beside target, for writes that replace target in one
// step. Where the file system allows, the file has no name while it is
// written (O_TMPFILE): a writer killed half-way leaves nothing behind. It
// gets a name only for the instant between linking and replacing.
class TempFile {
 public:
  explicit TempFile(const std::string& target) {
    std::size_t slash = target.rfind('/');
    folder_ = slash == std::string::npos ? "." : target.substr(0, slash);
    if (folder_.empty()) folder_ = "/";
    fd_ = open(folder_.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (fd_ >= 0) return;
    path_ = folder_ + "/" + kTempPrefix + std::to_string(getpid()) + "-XXXXXX";
    fd_ = mkstemp(path_.data());
    if (fd_ < 0) {
      status_ = Errno();
      path_.clear();
    }
  }
  ~TempFile() {
    if (fd_ >= 0) close(fd_);
    if (!committed_ && !path_.empty()) unlink(path_.c_str());
  }
  const Status& status() const { return status_; }
  int fd() const { return fd_; }
  Status Commit(const std::string& target, mode_t mode, const std::string& dosBits) {
    if (fchmod(fd_, mode) != 0) return Errno();
    if (!dosBits.empty())
      fsetxattr(fd_, kDosAttrib, dosBits.data(), dosBits.size(), 0);
    if (path_.empty()) {
      if (Status status = LinkUnnamed(); !status) return status;
    }
    if (close(fd_) != 0) {
      fd_ = -1;
      return Errno();
    }
    fd_ = -1;
    if (rename(path_.c_str(), target.c_str()) != 0) return Errno();
    committed_ = true;
    return Status::Ok();
  }

 private:
  Status LinkUnnamed() {
    std::string self = "/proc/self/fd/" + std::to_string(fd_);
    for (int attempt = 0; attempt < 100; ++attempt) {
      std::string name = folder_ + "/" + kTempPrefix + std::to_string(getpid()) + "-" +
                         std::to_string(attempt);
      if (linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
        path_ = name;
        return Status::Ok();
      }
      if (errno != EEXIST) return Errno();
    }
    return Status::Fail(std::strerror(EEXIST));
  }

  std::string folder_;
  std::string path_;  // empty while the file has no name
  int fd_ = -1;
  bool committed_ = false;
  Status status_;
};

std::string DosBitsText(const std::string& host) {
  char buffer[64];
  ssize_t size = getxattr(host.c_str(), kDosAttrib, buffer, sizeof buffer);
  return size > 0 ? std::string(buffer, static_cast<std::size_t>(size)) : std::string();
}

Status CheckTargetIsNoFolder(const std::string& target) {
  struct stat info;
  if (stat(target.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
    return Status::Fail(std::strerror(EISDIR));
  return Status::Ok();
}

}  // namespace

std::string HostPath(const std::string& path) { return MapPath(path); }

void RemoveStaleTempFiles(const std::string& folder) {
  std::string host = MapPath(folder);
  DIR* dir = host.empty() ? nullptr : opendir(host.c_str());
  if (!dir) return;
  const std::size_t prefix = std::strlen(kTempPrefix);
  std::vector<std::string> stale;
  while (dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (name.compare(0, prefix, kTempPrefix) != 0) continue;
    long pid = std::strtol(name.c_str() + prefix, nullptr, 10);
    if (pid > 0 && kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
      stale.push_back(host + "/" + name);
  }
  closedir(dir);
  for (const std::string& path : stale) unlink(path.c_str());
}

bool Exists(const std::string& path) {
  std::string host = MapPath(path);
  struct stat info;
  return !host.empty() && stat(host.c_str(), &info) == 0;
}

bool FileExists(const std::string& path) {
  std::string host = MapPath(path);
  struct stat info;
  return !host.empty() && stat(host.c_str(), &info) == 0 && !S_ISDIR(info.st_mode);
}

bool FolderExists(const std::string& path) {
  std::string host = MapPath(path);
  struct stat info;
  return !host.empty() && stat(host.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

Status GetAttributes(const std::string& path, int& attributes) {
  std::string host = MapPath(path);
  struct stat info;
  if (host.empty() || stat(host.c_str(), &info) != 0)
    return host.empty() ? Status::Fail(std::strerror(ENOENT)) : Errno();
  attributes = AttributesOf(host, info);
  return Status::Ok();
}

Status SetAttributes(const std::string& path, int attributes) {
  std::string host = MapPath(path);
  if (host.empty()) return Status::Fail(std::strerror(ENOENT));
  return SetHostAttributes(host, attributes);
}

namespace {

// The entry's kind from the directory itself where it tells; links and
// entries of unknown kind are looked at.
bool KindFromDirectory(const dirent& entry, const std::string& child, DirEntry& item) {
  if (child.size() >= PATH_MAX) {
    item.failure = std::strerror(ENAMETOOLONG);
    return true;
  }
  switch (entry.d_type) {
    case DT_DIR:
      item.attributes = kFolder;
      return true;
    case DT_REG:
      return true;
    default:
      return false;
  }
}

void ExamineEntry(const std::string& child, DirEntry& item) {
  struct stat info;
  if (lstat(child.c_str(), &info) != 0) {
    item.failure = std::strerror(errno);
    return;
  }
  if (S_ISLNK(info.st_mode)) {
    item.link = true;
    if (stat(child.c_str(), &info) != 0) info.st_mode = S_IFREG | 0644;
  }
  item.attributes = AttributesOf(child, info);
}

}  // namespace

Status ListFolder(const std::string& folder, std::vector<DirEntry>& entries,
                  ListDetail detail) {
  entries.clear();
  std::string host = MapPath(folder);
  if (host.empty()) return Status::Fail(std::strerror(ENOENT));
  DIR* dir = opendir(host.c_str());
  if (!dir) return Errno();
  std::vector<std::pair<std::string, DirEntry>> sorted;
  errno = 0;
  while (dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    std::string child = host + "/" + name;
    DirEntry item;
    item.name = name;
    if (detail == ListDetail::kAttributes || !KindFromDirectory(*entry, child, item))
      ExamineEntry(child, item);
    sorted.emplace_back(UpperAscii(name), std::move(item));
    errno = 0;
  }
  int readError = errno;
  closedir(dir);
  if (readError) return Status::Fail(std::strerror(readError));
  std::sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) {
    return a.first != b.first ? a.first < b.first : a.second.name < b.second.name;
  });
  entries.reserve(sorted.size());
  for (auto& [key, item] : sorted) entries.push_back(std::move(item));
  return Status::Ok();
}

Status FindFiles(const std::string& folder, const std::string& extension,
                 std::vector<std::string>& names) {
  names.clear();
  std::vector<DirEntry> entries;
  Status status = ListFolder(folder, entries);
  if (!status) return status;
  std::string ending = "." + UpperAscii(extension);
  for (const DirEntry& entry : entries) {
    if (entry.attributes & (kFolder | kHidden | kSystem)) continue;
    std::string upper = UpperAscii(entry.name);
    if (upper.size() >= ending.size() &&
        upper.compare(upper.size() - ending.size(), ending.size(), ending) == 0)
      names.push_back(entry.name);
  }
  return Status::Ok();
}

Status CreateFolder(const std::string& path) {
  std::string host = MapPath(path);
  if (host.empty()) return Status::Fail(std::strerror(ENOENT));
  if (mkdir(host.c_str(), 0777) != 0) return Errno();
  return Status::Ok();
}

Status CopyFile(const std::string& source, const std::string& target) {
  std::string from = MapPath(source);
  std::string to = MapPath(target);
  if (from.empty() || to.empty()) return Status::Fail(std::strerror(ENOENT));
  int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return Errno();
  struct stat info;
  if (fstat(in, &info) != 0 || S_ISDIR(info.st_mode)) {
    Status status = S_ISDIR(info.st_mode) ? Status::Fail(std::strerror(EISDIR)) : Errno();
    close(in);
    return status;
  }
  if (Status status = CheckTargetIsNoFolder(to); !status) {
    close(in);
    return status;
  }
  TempFile temp(to);
  if (!temp.status()) {
    close(in);
    return temp.status();
  }
  std::vector<char> buffer(1 << 20);
  Status status;
  for (;;) {
    ssize_t got = read(in, buffer.data(), buffer.size());
    if (got < 0) {
      if (errno == EINTR) continue;
      status = Errno();
      break;
    }
    if (got == 0) break;
    status = WriteAll(temp.fd(), buffer.data(), static_cast<std::size_t>(got));
    if (!status) break;
  }
  close(in);
  if (!status) return status;
  return temp.Commit(to, info.st_mode & 07777, DosBitsText(from));
}

Status DeleteFile(const std::string& path) {
  std::string host = MapPath(path);
  if (host.empty()) return Status::Fail(std::strerror(ENOENT));
  if (unlink(host.c_str()) != 0) return Errno();
  return Status::Ok();
}

Status ReadFile(const std::string& path, std::string& bytes) {
  bytes.clear();
  InputFile file;
  if (Status status = file.Open(path); !status) return status;
  char buffer[1 << 16];
  for (;;) {
    std::size_t got = 0;
    if (Status status = file.Read(buffer, sizeof buffer, got); !status) return status;
    if (got == 0) return Status::Ok();
    bytes.append(buffer, got);
  }
}

Status WriteFile(const std::string& path, const std::string& bytes) {
  std::string host = MapPath(path);
  if (host.empty()) return Status::Fail(std::strerror(ENOENT));
  if (Status status = CheckTargetIsNoFolder(host); !status) return status;
  mode_t mode = 0666;
  std::string dosBits;
  struct stat info;
  if (stat(host.c_str(), &info) == 0) {
    mode = info.st_mode & 07777;
    dosBits = DosBitsText(host);
  } else {
    mode_t mask = umask(0);
    umask(mask);
    mode &= ~mask;
  }
  TempFile temp(host);
  if (!temp.status()) return temp.status();
  if (Status status = WriteAll(temp.fd(), bytes.data(), bytes.size()); !status)
    return status;
  return temp.Commit(host, mode, dosBits);
}

InputFile::~InputFile() { Close(); }

Status InputFile::Open(const std::string& path) {
  Close();
  std::string host = MapPath(path);
  if (host.empty()) return Status::Fail(std::strerror(ENOENT));
  int fd = open(host.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Errno();
  struct stat info;
  if (fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
    close(fd);
    return Status::Fail(std::strerror(EISDIR));
  }
  handle_ = fd;
  return Status::Ok();
}

Status InputFile::Read(char* buffer, std::size_t size, std::size_t& got) {
  got = 0;
  if (handle_ < 0) return Status::Fail(std::strerror(EBADF));
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

RunResult RunAndWait(const std::string& program, const std::string& argumentText) {
  RunResult result;
  std::string host = MapPath(program);
  if (host.empty()) {
    result.reason = std::strerror(ENOENT);
    return result;
  }
  std::vector<char*> argv = {host.data(), const_cast<char*>(argumentText.c_str()), nullptr};
  pid_t pid = 0;
  int error = posix_spawn(&pid, host.c_str(), nullptr, nullptr, argv.data(), environ);
  if (error != 0) {
    result.reason = std::strerror(error);
    return result;
  }
  result.started = true;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) {
      result.exitCode = -1;
      return result;
    }
  }
  if (WIFEXITED(status))
    result.exitCode = WEXITSTATUS(status);
  else if (WIFSIGNALED(status))
    result.exitCode = 128 + WTERMSIG(status);
  return result;
}

namespace {
std::string ExecutablePath() {
  std::vector<char> buffer(PATH_MAX + 1);
  ssize_t size = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (size <= 0) return {};
  return std::string(buffer.data(), static_cast<std::size_t>(size));
}
}  // namespace

std::string CommandLineText(int argc, char** argv) {
  std::string text;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) text += ' ';
    text += argv[i];
  }
  return ToBackslashes(text);
}

std::string ProgramFolder() {
  std::string path = ExecutablePath();
  std::size_t slash = path.rfind('/');
  return ToBackslashes(slash == std::string::npos ? std::string() : path.substr(0, slash));
}

std::string ProgramName() {
  std::string path = ExecutablePath();
  std::string name = path.substr(path.rfind('/') + 1);
  std::size_t dot = name.rfind('.');
  return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

namespace {
std::string FormatNow(const char* format) {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char buffer[128];
  std::size_t size = std::strftime(buffer, sizeof buffer, format, &local);
  return std::string(buffer, size);
}
}  // namespace

std::string DateText() { return FormatNow("%x"); }
std::string TimeText() { return FormatNow("%X"); }

bool SameOrNested(const std::string& a, const std::string& b) {
  std::string hostA = MapPath(a), hostB = MapPath(b);
  char realA[PATH_MAX], realB[PATH_MAX];
  if (hostA.empty() || hostB.empty() || !realpath(hostA.c_str(), realA) ||
      !realpath(hostB.c_str(), realB))
    return false;
  auto inside = [](const std::string& inner, const std::string& outer) {
    if (inner.size() < outer.size() || inner.compare(0, outer.size(), outer) != 0)
      return false;
    return inner.size() == outer.size() || outer == "/" || inner[outer.size()] == '/';
  };
  return inside(realA, realB) || inside(realB, realA);
}

SharedLibrary::~SharedLibrary() {
  if (handle_) dlclose(handle_);
}

Status SharedLibrary::Load(const std::string& path) {
  std::string host = MapPath(path);
  handle_ = dlopen(host.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle_) {
    const char* error = dlerror();
    return Status::Fail(error ? error : "cannot load");
  }
  return Status::Ok();
}

void* SharedLibrary::Symbol(const char* name) const {
  return handle_ ? dlsym(handle_, name) : nullptr;
}

const char* LogLibraryFileName() { return "liblumo.so"; }

bool StderrIsTerminal() { return isatty(STDERR_FILENO) == 1; }

void WriteStderr(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

void WriteStdout(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

}  // namespace platform
