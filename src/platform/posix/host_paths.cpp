// System-form paths mapped to host paths:
// - "X:" is the folder named by VANTREL_DRIVE_X; C: defaults to
//   $HOME/.vantrel/c. A drive without a folder does not exist.
// - A path that begins with "\" or "/" is a host absolute path.
// - Each component matches an existing entry without regard to case when
//   the exact name does not exist, as on the controller's file system.

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#if defined(__linux__)
#include <linux/openat2.h>
#include <sys/syscall.h>
#endif

#include <climits>
#include <cstdlib>

#include "platform/paths.h"
#include "platform/posix/internal.h"
#include "platform/posix/name_cache.h"

namespace platform {
namespace posix {
namespace {

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

// The name to use for component in folder host, as the cache knows it or,
// outside a run, as the file system tells it; empty when there is none.
// missing tells whether the file system was asked and said nothing is
// there by that name, nor a case twin.
std::string MatchComponent(const std::string& host, const std::string& component, bool last,
                           bool& missing) {
  missing = false;
  const std::string folder = host.empty() ? "/" : host;
  std::string match;
  if (NameCache* cache = ActiveNameCache();
      cache && cache->Match(folder, component, !last, match, &missing))
    return match;
  std::string candidate = host + "/" + component;
  struct stat info;
  if (last ? lstat(candidate.c_str(), &info) == 0
           : stat(candidate.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
    return component;
  const bool absent = errno == ENOENT;
  match = MatchInFolder(folder, component, !last);
  missing = absent && match.empty();
  return match;
}

// The host folder a path's parts go under (the drive's folder, the root
// or the working folder) and its length; false where the drive has no
// folder.
bool HostBase(const PathParts& parts, std::string& host, std::size_t& fixed) {
  host.clear();
  fixed = 0;
  if (parts.drive) {
    host = DriveFolder(parts.drive);
    if (host.empty()) return false;
    while (host.size() > 1 && host.back() == '/') host.pop_back();
    if (host == "/") host.clear();
    fixed = host.size();
  } else if (!parts.rooted) {
    host = ".";
    fixed = host.size();
  }
  return true;
}

std::string JoinAsWritten(std::string host, const PathParts& parts) {
  for (const std::string& component : parts.components) host += "/" + component;
  return host;
}

// What a folder's mapping depends on: the drive's folder and the path's
// folder parts as written.
std::string FolderKey(const std::string& driveHost, const std::vector<std::string>& components,
                      std::size_t folders) {
  std::string key = driveHost;
  for (std::size_t i = 0; i < folders; ++i) {
    key += '\0';
    key += components[i];
  }
  return key;
}

}  // namespace

void NoteAdded(const std::string& host, bool folder) {
  if (NameCache* cache = ActiveNameCache())
    cache->Added(host, folder ? NameCache::Kind::kFolder : NameCache::Kind::kOther);
}

void NoteRemoved(const std::string& host) {
  if (NameCache* cache = ActiveNameCache()) cache->Removed(host);
}

std::string MapPath(const std::string& path, bool* found) {
  std::size_t fixed = 0;
  return MapPathFrom(path, fixed, found);
}

namespace {

// Outside a run, exact (the path as written) is not there but may be a new
// name in a folder that is: then only that name is looked for among the
// folder's entries (a case twin), as the look at each part would end,
// without that look at every folder above. exact becomes the mapped path.
bool NewNameInFolderAsWritten(std::string& exact, const PathParts& parts, bool* found,
                              EntrySeen* seen) {
  const std::string& name = parts.components.back();
  const std::size_t slash = exact.rfind('/');
  if (parts.components.size() < 2 || name == "." || name == ".." || slash == 0 ||
      slash == std::string::npos)
    return false;
  std::string folder = exact.substr(0, slash);
  if (!os::IsFolderAt(folder)) return false;
  const std::string twin = MatchInFolder(folder, name, false);
  if (found) *found = !twin.empty();
  if (twin.empty() && seen) seen->state = EntrySeen::State::kMissing;
  exact = folder + "/" + (twin.empty() ? name : twin);
  return true;
}

}  // namespace

std::string HostPathAsWritten(const std::string& path) {
  if (ActiveNameCache()) return {};
  PathParts parts = SplitSystemPath(path);
  std::string host;
  std::size_t fixed = 0;
  if (parts.components.empty() || !HostBase(parts, host, fixed)) return {};
  return JoinAsWritten(host, parts);
}

std::string MapPathFrom(const std::string& path, std::size_t& fixed, bool* found, EntrySeen* seen) {
  if (found) *found = false;
  PathParts parts = SplitSystemPath(path);
  std::string host;
  if (!HostBase(parts, host, fixed)) return {};
  // Outside a run, a path that exists as written needs no look at its
  // parts: one call, not one for each part (a deep tree would otherwise cost
  // the square of its depth for every path in it).
  if (!ActiveNameCache() && !parts.components.empty()) {
    std::string exact = JoinAsWritten(host, parts);
    struct stat info;
    if (lstat(exact.c_str(), &info) == 0) {
      if (found) *found = true;
      if (seen) *seen = EntrySeen{EntrySeen::State::kThere, info};
      return exact;
    }
    if (errno == ENOENT && NewNameInFolderAsWritten(exact, parts, found, seen)) return exact;
  }
  // During a run the folder of the path may have been mapped before.
  NameCache* cache = ActiveNameCache();
  const std::size_t folders = parts.components.empty() ? 0 : parts.components.size() - 1;
  std::string key;
  std::size_t first = 0;
  if (cache && folders > 1) {
    key = FolderKey(host, parts.components, folders);
    if (cache->MappedFolder(key, host)) first = folders;
  }
  bool parentExists = true;
  for (std::size_t i = first; i < parts.components.size(); ++i) {
    const std::string& component = parts.components[i];
    const bool last = i + 1 == parts.components.size();
    std::string candidate = host + "/" + component;
    if (parentExists && component != "." && component != "..") {
      bool missing = false;
      std::string match = MatchComponent(host, component, last, missing);
      if (!match.empty())
        candidate = host + "/" + match;
      else
        parentExists = false;
      if (last && missing && seen) seen->state = EntrySeen::State::kMissing;
    }
    host = candidate;
    if (i + 1 == folders && !key.empty() && parentExists) cache->RememberMapped(key, host);
  }
  if (host.empty()) host = "/";
  if (found) *found = parentExists;
  return host;
}

namespace {

enum class LinkVerdict { kNoLink, kLink, kUnknown };

// Whether the folders of host from offset fixed on hold a symbolic link,
// asked in one call where the kernel walks a path refusing links: one look
// at each folder would cost a deep tree the square of its depth for every
// write. Unknown where the call is missing or a folder is not there.
LinkVerdict FoldersWithoutLink(const std::string& host, std::size_t fixed) {
#if defined(__linux__) && defined(SYS_openat2)
  const std::size_t last = host.rfind('/');
  std::size_t first = fixed;
  while (first < host.size() && host[first] == '/') ++first;
  if (last == std::string::npos || last <= first) return LinkVerdict::kNoLink;
  const std::string base = fixed == 0 ? "/" : host.substr(0, fixed);
  const std::string folders = host.substr(first, last - first);
  // openat: some C libraries follow an open with O_CLOEXEC by an fcntl.
  int baseFd = openat(AT_FDCWD, base.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (baseFd < 0) return LinkVerdict::kUnknown;
  struct open_how how {};
  how.flags = O_PATH | O_DIRECTORY | O_CLOEXEC;
  how.resolve = RESOLVE_NO_SYMLINKS;
  const long fd = syscall(SYS_openat2, baseFd, folders.c_str(), &how, sizeof how);
  const int error = errno;
  close(baseFd);
  if (fd >= 0) {
    close(static_cast<int>(fd));
    return LinkVerdict::kNoLink;
  }
  return error == ELOOP ? LinkVerdict::kLink : LinkVerdict::kUnknown;
#else
  (void)host;
  (void)fixed;
  return LinkVerdict::kUnknown;
#endif
}

// Whether the entry at host is a symbolic link, as far as the mapping saw
// it a moment ago, else as the file system tells now.
bool IsLinkAt(const std::string& host, const EntrySeen& seen) {
  if (seen.state == EntrySeen::State::kMissing) return false;
  if (seen.state == EntrySeen::State::kThere) return S_ISLNK(seen.info.st_mode);
  struct stat info;
  return lstat(host.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

}  // namespace

// During a run every write would otherwise look at each folder above its
// target again; the run's cache remembers the folders found to be no link.
// Outside a run the kernel is asked about all of them at once where it
// can. The target itself is looked at for every write, by the mapping of
// the write's path or here.
Status CheckNoLink(const std::string& host, std::size_t fixed, const EntrySeen& seen) {
  NameCache* cache = ActiveNameCache();
  if (!cache && host.find('/', fixed) != std::string::npos) {
    const LinkVerdict folders = FoldersWithoutLink(host, fixed);
    if (folders == LinkVerdict::kLink) return Status::Fail(kThroughLink);
    if (folders == LinkVerdict::kNoLink)
      return IsLinkAt(host, seen) ? Status::Fail(kThroughLink) : Status::Ok();
  }
  struct stat info;
  for (std::size_t slash = host.find('/', fixed); slash != std::string::npos;) {
    std::size_t next = host.find('/', slash + 1);
    if (next == std::string::npos)
      return IsLinkAt(host, seen) ? Status::Fail(kThroughLink) : Status::Ok();
    std::string prefix = host.substr(0, next);
    if (next != slash + 1 && !(cache && cache->KnownNoLink(prefix))) {
      if (lstat(prefix.c_str(), &info) == 0) {
        if (S_ISLNK(info.st_mode)) return Status::Fail(kThroughLink);
        if (cache && S_ISDIR(info.st_mode)) cache->NotALink(prefix);
      }
    }
    slash = next;
  }
  return Status::Ok();
}

}  // namespace posix

namespace os {

Status MapForWrite(const std::string& path, std::string& host) {
  std::size_t fixed = 0;
  posix::EntrySeen seen;
  host = posix::MapPathFrom(path, fixed, nullptr, &seen);
  if (host.empty()) return Status::Fail(std::strerror(ENOENT));
  return posix::CheckNoLink(host, fixed, seen);
}

Status MapForRead(const std::string& path, std::string& host) {
  host = posix::MapPath(path);
  return host.empty() ? Status::Fail(std::strerror(ENOENT)) : Status::Ok();
}

bool IsFolderAt(const std::string& host) {
  struct stat info;
  return stat(host.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace os

using posix::MapPath;

namespace {

// Whether inner, or a folder above it, is the very folder outer, by device
// and inode: a bind mount or a second name shows the same folder under
// another path, which comparing paths misses.
bool SameStorageOrBelow(std::string inner, const std::string& outer) {
  struct stat target, info;
  if (stat(outer.c_str(), &target) != 0) return false;
  for (;;) {
    if (stat(inner.empty() ? "/" : inner.c_str(), &info) == 0 && info.st_dev == target.st_dev &&
        info.st_ino == target.st_ino)
      return true;
    if (inner.empty()) return false;
    inner.erase(inner.rfind('/'));
  }
}

}  // namespace

std::string HostPath(const std::string& path) { return MapPath(path); }

bool SameOrNested(const std::string& a, const std::string& b) {
  std::string hostA = MapPath(a), hostB = MapPath(b);
  char realA[PATH_MAX], realB[PATH_MAX];
  if (hostA.empty() || hostB.empty() || !realpath(hostA.c_str(), realA) ||
      !realpath(hostB.c_str(), realB))
    return false;
  auto inside = [](const std::string& inner, const std::string& outer) {
    if (inner.size() < outer.size() || inner.compare(0, outer.size(), outer) != 0) return false;
    return inner.size() == outer.size() || outer == "/" || inner[outer.size()] == '/';
  };
  return inside(realA, realB) || inside(realB, realA) || SameStorageOrBelow(realA, realB) ||
         SameStorageOrBelow(realB, realA);
}

}  // namespace platform
