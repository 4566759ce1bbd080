#pragma once
// What the POSIX files of the platform layer share: the mapping of
// system-form paths to host paths and the keeping of the attribute bits
// that POSIX has no place for.

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/os.h"
#include "platform/platform.h"

namespace platform::posix {

// Hidden, system and archive live in this extended attribute as text
// "0x" + hex; read-only is the absence of write permission.
inline constexpr const char* kDosAttrib = "user.DOSATTRIB";
inline constexpr int kXattrBits = kHidden | kSystem | kArchive;

inline Status Errno() { return Status::Fail(std::strerror(errno)); }

// The host path of a system-form path; empty where its drive has no folder.
// found, when given, tells whether every component was matched: when not,
// nothing exists at that path and no one need ask the file system again.
std::string MapPath(const std::string& path, bool* found = nullptr);

// Tell the active name cache, if any, of an entry the layer made or took
// away (host paths as MapPath gives them).
void NoteAdded(const std::string& host, bool folder);
void NoteRemoved(const std::string& host);
// Outside a run, the host path of path with every part as written, to be
// tried before its names are looked up; empty during a run (the cache
// knows the names) and where the drive has no folder.
std::string HostPathAsWritten(const std::string& path);

// What the mapping learnt of the entry at the host path it gave, where it
// asked the file system (lstat) about it anyway.
struct EntrySeen {
  enum class State { kNotAsked, kMissing, kThere };
  State state = State::kNotAsked;
  struct stat info {};
};

// The same as MapPath, with fixed set to the length of the part the
// mapping itself chose (the drive's folder), which the path's owner does
// not control.
std::string MapPathFrom(const std::string& path, std::size_t& fixed, bool* found = nullptr,
                        EntrySeen* seen = nullptr);

// A failure when host, from offset fixed on, runs through a symbolic link
// (the last component included). seen is what the mapping learnt of the
// last component a moment ago, which need not be asked again.
Status CheckNoLink(const std::string& host, std::size_t fixed, const EntrySeen& seen = {});
// The attribute bits of a host entry whose stat is info.
int AttributesOf(const std::string& host, const struct stat& info);

}  // namespace platform::posix
