// Locks between runs, waiting, and the signals a run must outlive.

#include "platform/win32/internal.h"

namespace platform {

Status os::TryLock(const std::string& host, intptr_t& handle) {
  HANDLE file = CreateFileA(host.c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return win32::LastError();
  OVERLAPPED from{};
  if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD,
                  &from)) {
    DWORD error = GetLastError();
    CloseHandle(file);
    return error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING
               ? Status::Ok()
               : Status::Fail(win32::ReasonOf(error));
  }
  handle = reinterpret_cast<intptr_t>(file);
  return Status::Ok();
}

void os::Unlock(intptr_t handle) {
  if (handle != -1) CloseHandle(reinterpret_cast<HANDLE>(handle));
}

void SleepMilliseconds(int milliseconds) { Sleep(milliseconds > 0 ? static_cast<DWORD>(milliseconds) : 0); }

// Windows has no signal for a write beyond a size limit: such a write fails
// like one on a full disk already.
void IgnoreFileSizeSignal() {}

}  // namespace platform
