// System-form paths as the file system is given them, and the reasons
// of failures. Paths are used as they are, with the file system's own case
// rules; only a drive named by VANTREL_DRIVE_X is redirected, so that tests
// never touch the real drives.

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/paths.h"
#include "platform/win32/internal.h"

namespace platform {
namespace win32 {

std::string EnvironmentValue(const char* name) {
  std::vector<char> buffer(256);
  for (;;) {
    DWORD size = GetEnvironmentVariableA(name, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (size == 0) return {};
    if (size < buffer.size()) return std::string(buffer.data(), size);
    buffer.resize(size + 1);
  }
}

std::string MapPath(const std::string& path) {
  PathParts parts = SplitSystemPath(path);
  if (!parts.drive) return path;
  std::string name = "VANTREL_DRIVE_";
  name += parts.drive;
  std::string folder = EnvironmentValue(name.c_str());
  if (folder.empty()) return path;
  while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
  std::string rest = path.substr(2);
  if (!rest.empty() && rest[0] != '\\' && rest[0] != '/') rest = "\\" + rest;
  return folder + rest;
}

namespace {
// The length of the part of host that the mapping chose: the drive, or the
// folder that stands for it. What lies below is the path owner's.
std::size_t FixedPart(const std::string& path, const std::string& host) {
  PathParts parts = SplitSystemPath(path);
  if (!parts.drive) return 0;
  std::size_t rest = path.size() - 2;
  return host.size() >= rest ? host.size() - rest : 0;
}
}  // namespace

bool HasAttribute(const std::string& host, DWORD bit) {
  DWORD attributes = GetFileAttributesA(host.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & bit);
}

std::string ReasonOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_INVALID_NAME:
      return std::strerror(ENOENT);
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return std::strerror(EACCES);
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
      return std::strerror(EEXIST);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return std::strerror(ENOSPC);
    case ERROR_DIRECTORY:
      return std::strerror(ENOTDIR);
    case ERROR_FILENAME_EXCED_RANGE:
      return std::strerror(ENAMETOOLONG);
    case ERROR_BAD_EXE_FORMAT:
      return std::strerror(ENOEXEC);
    default:
      break;
  }
  char* text = nullptr;
  DWORD size = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
  std::string reason = size && text ? std::string(text, size) : std::string();
  if (text) LocalFree(text);
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' ||
                             reason.back() == ' ' || reason.back() == '.'))
    reason.pop_back();
  return reason.empty() ? "system error " + std::to_string(error) : reason;
}

namespace {
bool FileOnTheWay(const std::string& host) {
  for (std::size_t at = host.find_last_of("\\/"); at != std::string::npos && at > 0;
       at = host.find_last_of("\\/", at - 1)) {
    DWORD attributes = GetFileAttributesA(host.substr(0, at).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) return !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  }
  return false;
}
}  // namespace

Status LastErrorAt(const std::string& host) {
  DWORD error = GetLastError();
  if (error == ERROR_ACCESS_DENIED && os::IsFolderAt(host))
    return Status::Fail(std::strerror(EISDIR));
  if ((error == ERROR_PATH_NOT_FOUND || error == ERROR_FILE_NOT_FOUND) && FileOnTheWay(host))
    return Status::Fail(std::strerror(ENOTDIR));
  return Status::Fail(ReasonOf(error));
}

}  // namespace win32

namespace os {

Status MapForWrite(const std::string& path, std::string& host) {
  host = win32::MapPath(path);
  for (std::size_t at = win32::FixedPart(path, host) + 1; at < host.size(); ++at) {
    if (host[at] != '\\' && host[at] != '/') continue;
    if (at > 0 && host[at - 1] != '\\' && host[at - 1] != '/' && host[at - 1] != ':' &&
        win32::IsReparsePoint(host.substr(0, at)))
      return Status::Fail(kThroughLink);
  }
  if (win32::IsReparsePoint(host)) return Status::Fail(kThroughLink);
  return Status::Ok();
}

// Every path names something to ask the file system about.
Status MapForRead(const std::string& path, std::string& host) {
  host = win32::MapPath(path);
  return Status::Ok();
}

bool IsFolderAt(const std::string& host) {
  return win32::HasAttribute(host, FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace os

using win32::MapPath;

std::string HostPath(const std::string& path) { return MapPath(path); }

namespace {

// The final path of an existing file or folder, upper-cased, without the
// "\\?\" prefix; empty when it cannot be opened.
std::string FinalPath(const std::string& path) {
  HANDLE handle = CreateFileA(MapPath(path).c_str(), 0,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return {};
  std::vector<char> buffer(MAX_PATH + 1);
  DWORD size = GetFinalPathNameByHandleA(handle, buffer.data(), static_cast<DWORD>(buffer.size()),
                                         FILE_NAME_NORMALIZED);
  if (size >= buffer.size()) {
    buffer.resize(size + 1);
    size = GetFinalPathNameByHandleA(handle, buffer.data(), static_cast<DWORD>(buffer.size()),
                                     FILE_NAME_NORMALIZED);
  }
  CloseHandle(handle);
  if (size == 0 || size >= buffer.size()) return {};
  std::string final(buffer.data(), size);
  if (final.compare(0, 4, "\\\\?\\") == 0) final.erase(0, 4);
  while (final.size() > 3 && final.back() == '\\') final.pop_back();
  return UpperAscii(final);
}

bool Inside(const std::string& inner, const std::string& outer) {
  if (inner.size() < outer.size() || inner.compare(0, outer.size(), outer) != 0) return false;
  return inner.size() == outer.size() || outer.back() == '\\' || inner[outer.size()] == '\\';
}

}  // namespace

bool SameOrNested(const std::string& a, const std::string& b) {
  std::string finalA = FinalPath(a), finalB = FinalPath(b);
  if (finalA.empty() || finalB.empty()) return false;
  return Inside(finalA, finalB) || Inside(finalB, finalA);
}

}  // namespace platform
