// The questions about the file system and the program, the same on every
// platform: inside a read-only scope they are answered as if its changes
// had been made, and a listing comes in the controller's order.

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/os.h"
#include "platform/paths.h"
#include "platform/read_only.h"

namespace platform {

bool Exists(const std::string& path) {
  bool there = false;
  int attributes = 0;
  if (read_only::Known(path, there, attributes)) return there;
  return os::Exists(path);
}

bool FileExists(const std::string& path) {
  bool there = false;
  int attributes = 0;
  if (read_only::Known(path, there, attributes)) return there && !(attributes & kFolder);
  return os::FileExists(path);
}

bool FolderExists(const std::string& path) {
  bool there = false;
  int attributes = 0;
  if (read_only::Known(path, there, attributes)) return there && (attributes & kFolder);
  return os::FolderExists(path);
}

Status GetAttributes(const std::string& path, int& attributes) {
  bool there = false;
  if (read_only::Known(path, there, attributes))
    return there ? Status::Ok() : Status::Fail(std::strerror(ENOENT));
  return os::GetAttributes(path, attributes);
}

namespace {

// By upper-cased name, and names equal so by their bytes: the order never
// depends on the order of the directory.
void SortAsTheControllerLists(std::vector<DirEntry>& entries) {
  std::vector<std::pair<std::string, DirEntry>> keyed;
  keyed.reserve(entries.size());
  for (DirEntry& entry : entries) keyed.emplace_back(UpperAscii(entry.name), std::move(entry));
  std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
    return a.first != b.first ? a.first < b.first : a.second.name < b.second.name;
  });
  entries.clear();
  for (auto& [key, entry] : keyed) entries.push_back(std::move(entry));
}

}  // namespace

Status ListFolder(const std::string& folder, std::vector<DirEntry>& entries,
                  ListDetail detail) {
  entries.clear();
  std::string host;
  if (Status status = os::MapForRead(folder, host); !status) return status;
  Status status = os::ListFolder(host, detail, entries);
  if (!status) {
    entries.clear();
    return status;
  }
  SortAsTheControllerLists(entries);
  return Status::Ok();
}

bool SameFileState(const FileIdentity& a, const FileIdentity& b) {
  return a.volume == b.volume && a.index == b.index && a.size == b.size &&
         a.modified == b.modified && a.changed == b.changed;
}

std::string ProgramName() {
  std::string name = os::ProgramFileName();
  std::size_t dot = name.rfind('.');
  return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

}  // namespace platform
