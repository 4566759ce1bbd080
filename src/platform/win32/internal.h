#pragma once
// What the Win32 files of the platform layer share: the drive redirect,
// the translation of system error codes into reasons, and the attribute
// bits the rest of the system knows.

#include <windows.h>

#include <string>

#include "platform/platform.h"

namespace platform::win32 {

// The attribute bits of the controller's file system; the others
// (compressed, reparse point ...) are not carried.
inline constexpr DWORD kKnownBits = kReadOnly | kHidden | kSystem | kFolder | kArchive;
// Temporary files are named with this prefix and the writer's process id.
inline constexpr const char* kTempPrefix = ".vantrel-tmp-";

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

// Why a write was refused: a symbolic link (or junction) below the drive's
// folder would carry it out of the tree it was meant for.
inline constexpr const char* kThroughLink = "symbolic link on the path, left alone";
// Why an open for reading was refused: only ordinary files are the
// controller's files.
inline constexpr const char* kNoRegularFile = "not an ordinary file";
// Why a copy source was refused: its target may lie anywhere.
inline constexpr const char* kLinkNotFollowed = "symbolic link, not followed";

// MapPath for a path about to be written, created, removed or given
// attributes: refused where the path runs through a reparse point below
// the drive's folder (the last component included).
Status MapForWrite(const std::string& path, std::string& host);

}  // namespace platform::win32
