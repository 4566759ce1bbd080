#pragma once
// What the Win32 files of the platform layer share: the drive redirect,
// the translation of system error codes into reasons, and the attribute
// bits the rest of the system knows.

#include <windows.h>

#include <string>

#include "platform/os.h"
#include "platform/platform.h"

namespace platform::win32 {

// The attribute bits of the controller's file system; the others
// (compressed, reparse point ...) are not carried.
inline constexpr DWORD kKnownBits = kReadOnly | kHidden | kSystem | kFolder | kArchive;

// The path the file system is given: drive X: is redirected to the folder
// named by VANTREL_DRIVE_X where that variable is set; any other path is
// used as it is.
std::string MapPath(const std::string& path);

// The reason for a system error code, in the same words as the POSIX
// layer uses where the two mean the same.
std::string ReasonOf(DWORD error);
inline Status LastError() { return Status::Fail(ReasonOf(GetLastError())); }
// The last error of an operation on host, told as the POSIX layer tells it
// where Windows says less: a folder opened as a file is "denied", and a
// file in place of a folder on the way makes the path "not found".
Status LastErrorAt(const std::string& host);

// The value of an environment variable of the process; empty when unset.
std::string EnvironmentValue(const char* name);

// An entry is at host and has the attribute bit.
bool HasAttribute(const std::string& host, DWORD bit);
// A symbolic link, a junction or another redirection the file system follows.
inline bool IsReparsePoint(const std::string& host) {
  return HasAttribute(host, FILE_ATTRIBUTE_REPARSE_POINT);
}

}  // namespace platform::win32
