#pragma once
// The bare calls of the operating system that each platform folder
// (posix/, win32/) provides once, beneath the policy that the portable
// files keep for both: changes.cpp refuses writes through links, notes a
// change under a read-only scope and tells the change watcher before it
// calls any of them. None asks about either scope again. Private to the
// platform layer.
//
// A parameter named host is a path as the file system is given it, from
// MapForWrite or MapForRead; one named path is in the system's form.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace platform {

// Temporary files are named with this prefix and the writer's process id.
inline constexpr const char* kTempPrefix = ".vantrel-tmp-";
// Why a write was refused: a symbolic link (or junction) below the
// drive's folder would carry it out of the tree it was meant for (into the
// old installation, for example).
inline constexpr const char* kThroughLink = "symbolic link on the path, left alone";
// Why an open for reading was refused: FIFOs, devices and pipes never end
// or block, and only ordinary files are the controller's files.
inline constexpr const char* kNoRegularFile = "not an ordinary file";
// Why a copy source was refused: its target may lie anywhere.
inline constexpr const char* kLinkNotFollowed = "symbolic link, not followed";

// The head of the name of every temporary file this process writes:
// prefix, process id and "-".
std::string TempStem();

namespace os {

// The host path of a path about to be written, created, removed or given
// attributes: refused where it runs through a symbolic link below the
// drive's folder (the last component included).
Status MapForWrite(const std::string& path, std::string& host);
// The host path of a path to read or start; fails only where the path
// cannot name anything at all (a drive without a folder).
Status MapForRead(const std::string& path, std::string& host);
// An entry is there and is a folder.
bool IsFolderAt(const std::string& host);
// The folder that holds the entry at host.
std::string FolderOf(const std::string& host);

bool Exists(const std::string& path);
bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);
Status GetAttributes(const std::string& path, int& attributes);
// The entries of a folder in the order the file system gives them.
Status ListFolder(const std::string& host, ListDetail detail, std::vector<DirEntry>& entries);

Status CreateFolder(const std::string& host);
// A source the copy must refuse before anything else is asked of it.
Status CheckCopySource(const std::string& host);
Status Copy(const std::string& from, const std::string& to);
Status RemoveFile(const std::string& host);
Status RemoveFolder(const std::string& host);
Status SetAttributes(const std::string& host, int attributes);
Status AddHardLink(const std::string& from, const std::string& to);
void RemoveStaleTempFiles(const std::string& host);

// A temporary file beside its target that takes the target's place, with
// the target's attributes, on Commit; removed when dropped before.
class Replacement {
 public:
  virtual ~Replacement() = default;
  // Whether the temporary file could be made; a folder in the target's
  // place is refused (EISDIR), found by the look at the target's
  // attributes the replacement makes anyway.
  virtual Status Opened() const = 0;
  virtual Status Write(const char* data, std::size_t size) = 0;
  virtual Status Commit() = 0;
};
std::unique_ptr<Replacement> ReplacementFor(const std::string& host);
// The failure of a file object used before it was opened.
Status NotOpen();
// Writes a part of data to the open file (a descriptor or a handle, as
// InputFile holds it); wrote tells how much. WriteAll writes all of it.
Status WriteSome(intptr_t file, const char* data, std::size_t size, std::size_t& wrote);
Status WriteAll(intptr_t file, const char* data, std::size_t size);

// Creates host for writing at its end; fails when something is there.
Status CreateForAppend(const std::string& host, intptr_t& file);
Status SyncFile(intptr_t file);
void CloseFile(intptr_t file);
// Puts the entries of the folder at host on the disk, where the file
// system can be asked to. Nothing there is nothing to do.
Status SyncFolderAt(const std::string& host);
// Puts the bytes and attributes of the file (or folder) at host on the
// disk. Nothing there is nothing to do.
Status SyncFileAt(const std::string& host);

// Start the program and wait for its end; StartAndCapture gathers what it
// writes to its standard output and standard error.
RunResult StartAndWait(const std::string& host, const std::string& argumentText);
RunResult StartAndCapture(const std::string& host, const std::string& argumentText,
                          std::string& output);

// Locks host without waiting; handle stays -1 when another process holds it.
Status TryLock(const std::string& host, intptr_t& handle);
void Unlock(intptr_t handle);

// The running program's file name.
std::string ProgramFileName();

}  // namespace os
// The columns of the terminal standard error writes to; 0 when it is no
// terminal or does not tell.
int StderrTerminalColumns();

}  // namespace platform
