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

}  // namespace platform::os
