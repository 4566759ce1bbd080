// Files written at their end and put on the disk when asked.

#include "platform/win32/internal.h"

namespace platform::os {

Status CreateForAppend(const std::string& host, intptr_t& file) {
  HANDLE handle = CreateFileA(host.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                              CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return win32::LastErrorAt(host);
  file = reinterpret_cast<intptr_t>(handle);
  return Status::Ok();
}

Status SyncFile(intptr_t file) {
  if (!FlushFileBuffers(reinterpret_cast<HANDLE>(file))) return win32::LastError();
  return Status::Ok();
}

void CloseFile(intptr_t file) { CloseHandle(reinterpret_cast<HANDLE>(file)); }

// The file system keeps its own journal of names: a name linked or moved
// with write-through is on the disk when the call returns.
Status SyncFolderAt(const std::string&) { return Status::Ok(); }

// Flushing needs a handle that may write: a read-only file, which cannot
// be opened so, is left to the file system's own writing, as are a folder
// (its names are the file system's journal's) and a file gone since.
Status SyncFileAt(const std::string& host) {
  const DWORD attributes = GetFileAttributesA(host.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return Status::Ok();
  HANDLE handle = CreateFileA(host.c_str(), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    const bool nothingToDo = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
                             error == ERROR_ACCESS_DENIED;
    return nothingToDo ? Status::Ok() : win32::LastErrorAt(host);
  }
  Status status;
  if (!FlushFileBuffers(handle)) status = win32::LastError();
  CloseHandle(handle);
  return status;
}

}  // namespace platform::os
