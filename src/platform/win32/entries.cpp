// Attributes, existence and listings of entries.

#include <cerrno>
#include <cstring>

#include "platform/win32/internal.h"

namespace platform {

using win32::kKnownBits;
using win32::LastError;
using win32::MapPath;

namespace {

// A folder path as the listing functions want it: no trailing separator,
// except after a drive.
std::string WithoutTrailingSeparator(std::string path) {
  while (path.size() > 1 && (path.back() == '\\' || path.back() == '/') &&
         !(path.size() == 3 && path[1] == ':'))
    path.pop_back();
  return path;
}

bool HasWildcard(const std::string& path) {
  return path.find_first_of("*?") != std::string::npos;
}

bool IsDriveRoot(const std::string& path) {
  return (path.size() == 2 || path.size() == 3) && path[1] == ':';
}

// The attributes of a path as GetFileAttributesA gives them, or
// INVALID_FILE_ATTRIBUTES. A name with wildcards never names an entry.
DWORD RawAttributes(const std::string& path) {
  std::string host = MapPath(path);
  if (HasWildcard(host)) {
    SetLastError(ERROR_INVALID_NAME);
    return INVALID_FILE_ATTRIBUTES;
  }
  return GetFileAttributesA(host.c_str());
}

int Known(DWORD attributes) { return static_cast<int>(attributes & kKnownBits); }

}  // namespace

namespace os {

bool Exists(const std::string& path) {
  // The entry itself listed with the mask 55: every kind of entry but
  // volume labels, which a listing of one path never gives.
  std::string host = WithoutTrailingSeparator(MapPath(path));
  if (host.empty() || HasWildcard(host)) return false;
  if (IsDriveRoot(host)) return GetFileAttributesA(host.c_str()) != INVALID_FILE_ATTRIBUTES;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA(host.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return false;
  FindClose(find);
  return (data.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) == 0;
}

bool FileExists(const std::string& path) {
  DWORD attributes = RawAttributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string& path) {
  DWORD attributes = RawAttributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

Status GetAttributes(const std::string& path, int& attributes) {
  DWORD raw = RawAttributes(path);
  if (raw == INVALID_FILE_ATTRIBUTES) return LastError();
  attributes = Known(raw);
  return Status::Ok();
}

Status SetAttributes(const std::string& host, int attributes) {
  DWORD bits = static_cast<DWORD>(attributes & kSettable);
  if (!SetFileAttributesA(host.c_str(), bits ? bits : FILE_ATTRIBUTE_NORMAL))
    return LastError();
  return Status::Ok();
}

}  // namespace os

bool IsSymbolicLink(const std::string& path) {
  DWORD attributes = RawAttributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

Status GetFileIdentity(const std::string& path, FileIdentity& identity) {
  HANDLE handle = CreateFileA(MapPath(path).c_str(), 0,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return LastError();
  BY_HANDLE_FILE_INFORMATION info;
  Status status = GetFileInformationByHandle(handle, &info) ? Status::Ok() : LastError();
  CloseHandle(handle);
  if (!status) return status;
  auto join = [](DWORD high, DWORD low) { return (uint64_t{high} << 32) | low; };
  identity.volume = info.dwVolumeSerialNumber;
  identity.index = join(info.nFileIndexHigh, info.nFileIndexLow);
  identity.links = info.nNumberOfLinks;
  identity.size = join(info.nFileSizeHigh, info.nFileSizeLow);
  identity.modified = static_cast<int64_t>(
      join(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime));
  // The last write stands in for the change time: the change time also
  // moves when only a file's attributes are written (wine writes a hidden
  // file's attributes anew when a program merely opens it), which is no
  // change of its bytes. A change that keeps both size and last write goes
  // unseen here.
  identity.changed = identity.modified;
  return Status::Ok();
}

Status ProbeWritable(const std::string& path) {
  HANDLE handle = CreateFileA(MapPath(path).c_str(), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return LastError();
  CloseHandle(handle);
  return Status::Ok();
}

// One listing gives every entry's attributes, so both details cost the same.
Status os::ListFolder(const std::string& folder, ListDetail, std::vector<DirEntry>& entries) {
  std::string host = WithoutTrailingSeparator(folder);
  if (HasWildcard(host)) return Status::Fail(win32::ReasonOf(ERROR_INVALID_NAME));
  DWORD attributes = GetFileAttributesA(host.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return LastError();
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
    return Status::Fail(win32::ReasonOf(ERROR_DIRECTORY));
  std::string pattern = host + (host.back() == '\\' || host.back() == '/' ? "*" : "\\*");
  // The ANSI functions take fewer than MAX_PATH characters; a longer
  // pattern would find nothing, which must not pass for an empty folder.
  if (pattern.size() >= MAX_PATH) return Status::Fail(std::strerror(ENAMETOOLONG));
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA(pattern.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND ? Status::Ok() : Status::Fail(win32::ReasonOf(error));
  }
  do {
    std::string name = data.cFileName;
    if (name == "." || name == "..") continue;
    DirEntry item;
    item.name = name;
    item.attributes = Known(data.dwFileAttributes);
    item.link = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    item.special = (data.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) != 0;
    entries.push_back(std::move(item));
  } while (FindNextFileA(find, &data));
  DWORD error = GetLastError();
  FindClose(find);
  if (error != ERROR_NO_MORE_FILES) return Status::Fail(win32::ReasonOf(error));
  return Status::Ok();
}

}  // namespace platform
