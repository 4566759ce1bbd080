// Attributes, existence and listings of entries.

#include <dirent.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "platform/paths.h"
#include "platform/posix/internal.h"

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
using posix::SetHostAttributes;

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

}  // namespace platform
