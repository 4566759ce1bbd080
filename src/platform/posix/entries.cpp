// Attributes, existence and listings of entries.

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>

#include "platform/posix/internal.h"
#include "platform/posix/name_cache.h"

namespace platform {
namespace posix {
namespace {

int ReadDosBits(const std::string& host) {
  char buffer[64];
  ssize_t size = getxattr(host.c_str(), kDosAttrib, buffer, sizeof buffer - 1);
  if (size <= 0) return 0;
  buffer[size] = 0;
  return static_cast<int>(std::strtol(buffer, nullptr, 16)) & kXattrBits;
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
  const int length = std::snprintf(text, sizeof text, "0x%x", bits);
  if (length < 0 ||
      setxattr(host.c_str(), kDosAttrib, text, static_cast<std::size_t>(length), 0) != 0)
    return Errno();
  return Status::Ok();
}

// Without privileges the extended attribute can be written only while the
// entry is writable: an entry that is read-only now is made writable for
// the write, and the write permission is set as wanted last.
Status SetHostAttributes(const std::string& host, int attributes) {
  struct stat info;
  if (stat(host.c_str(), &info) != 0) return Errno();
  const mode_t mode = info.st_mode & 07777;
  const mode_t wanted = (attributes & kReadOnly) ? (mode & ~0222) : (mode | 0200);
  mode_t now = mode;
  Status status;
  if (ReadDosBits(host) != (attributes & kXattrBits)) {
    if (!(now & S_IWUSR)) {
      if (chmod(host.c_str(), now | S_IWUSR) != 0) return Errno();
      now |= S_IWUSR;
    }
    status = WriteDosBits(host, attributes);
  }
  if (now != wanted && chmod(host.c_str(), wanted) != 0 && status) status = Errno();
  return status;
}

}  // namespace

int AttributesOf(const std::string& host, const struct stat& info) {
  int attributes = ReadDosBits(host);
  if (S_ISDIR(info.st_mode)) attributes |= kFolder;
  if ((info.st_mode & 0222) == 0) attributes |= kReadOnly;
  return attributes;
}

}  // namespace posix

using posix::AttributesOf;
using posix::Errno;
using posix::MapPath;

namespace {
// The entry at path, unless the mapping already found that there is none.
bool StatOf(const std::string& path, struct stat& info) {
  bool found = false;
  std::string host = MapPath(path, &found);
  return found && !host.empty() && stat(host.c_str(), &info) == 0;
}
}  // namespace

namespace os {

bool Exists(const std::string& path) {
  struct stat info;
  return StatOf(path, info);
}

bool FileExists(const std::string& path) {
  struct stat info;
  return StatOf(path, info) && !S_ISDIR(info.st_mode);
}

bool FolderExists(const std::string& path) {
  struct stat info;
  return StatOf(path, info) && S_ISDIR(info.st_mode);
}

Status GetAttributes(const std::string& path, int& attributes) {
  std::string host = MapPath(path);
  struct stat info;
  if (host.empty() || stat(host.c_str(), &info) != 0)
    return host.empty() ? Status::Fail(std::strerror(ENOENT)) : Errno();
  attributes = AttributesOf(host, info);
  return Status::Ok();
}

Status SetAttributes(const std::string& host, int attributes) {
  return posix::SetHostAttributes(host, attributes);
}

}  // namespace os

Status GetFileIdentity(const std::string& path, FileIdentity& identity) {
  std::string host = MapPath(path);
  struct stat info;
  if (host.empty()) return Status::Fail(std::strerror(ENOENT));
  if (stat(host.c_str(), &info) != 0) return Errno();
  identity.volume = static_cast<uint64_t>(info.st_dev);
  identity.index = static_cast<uint64_t>(info.st_ino);
  identity.links = static_cast<uint64_t>(info.st_nlink);
  identity.size = static_cast<uint64_t>(info.st_size);
  identity.modified = static_cast<int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
  identity.changed = static_cast<int64_t>(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec;
  return Status::Ok();
}

// Neither a FIFO's reader nor a terminal is waited for or taken over.
Status ProbeWritable(const std::string& path) {
  std::string host = MapPath(path);
  if (host.empty()) return Status::Fail(std::strerror(ENOENT));
  int fd = open(host.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return Errno();
  close(fd);
  return Status::Ok();
}

bool IsSymbolicLink(const std::string& path) {
  std::string host = MapPath(path);
  struct stat info;
  return !host.empty() && lstat(host.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
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
    case DT_FIFO:
    case DT_CHR:
    case DT_BLK:
    case DT_SOCK:
      item.special = true;
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
  item.special = !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode);
  item.attributes = AttributesOf(child, info);
}

// What a listing tells the name cache; an entry that could not be looked
// at is of a kind yet to be asked.
std::vector<std::pair<std::string, NameCache::Kind>> NamesAndKinds(
    const std::vector<DirEntry>& listed) {
  std::vector<std::pair<std::string, NameCache::Kind>> names;
  names.reserve(listed.size());
  for (const DirEntry& item : listed) {
    NameCache::Kind kind = !item.failure.empty()          ? NameCache::Kind::kUnknown
                           : (item.attributes & kFolder) ? NameCache::Kind::kFolder
                                                         : NameCache::Kind::kOther;
    names.emplace_back(item.name, kind);
  }
  return names;
}

}  // namespace

Status os::ListFolder(const std::string& host, ListDetail detail, std::vector<DirEntry>& entries) {
  DIR* dir = opendir(host.c_str());
  if (!dir) return Errno();
  errno = 0;
  while (dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    std::string child = host + "/" + name;
    DirEntry item;
    item.name = name;
    if (detail == ListDetail::kAttributes || !KindFromDirectory(*entry, child, item))
      ExamineEntry(child, item);
    entries.push_back(std::move(item));
    errno = 0;
  }
  int readError = errno;
  closedir(dir);
  if (readError) return Status::Fail(std::strerror(readError));
  if (NameCache* cache = posix::ActiveNameCache()) cache->Listed(host, NamesAndKinds(entries));
  return Status::Ok();
}

}  // namespace platform
