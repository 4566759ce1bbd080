// powercut_fs: a FUSE file system in memory that forgets, at a power cut,
// what was not made durable (see volume.h).
//
//   powercut_fs SEED-FOLDER MOUNT-POINT [FUSE OPTIONS]
//
// serves a copy of SEED-FOLDER at MOUNT-POINT in the foreground, one
// request at a time. It is steered through the file /.powercut at the
// root, which no listing shows. Lines written to it:
//
//   reset     back to the seed, all of it durable; the count starts at 0
//   cut K     the power fails right after the K-th changing operation from
//             now: the durable state there is the crash image
//   reboot    the crash image becomes the state (taken now where no cut
//             fell since the last reset or cut); repeatable
//   torn S    from now on a cut also writes an ordered prefix, of a length
//             drawn at random (seed S), of the changes not yet durable
//   torn off  cuts keep only what was made durable (the start)
//
// Reading it gives "count N" (changing operations since the reset) and,
// once the cut has fallen, "cut K" (the number of the operation after
// which it fell) and, for a torn cut, "torn L of M" (the changes not yet
// durable that it wrote, of all). /.powercut-ops lists every changing operation since the
// reset, numbered from 1. Locks are left to the kernel.
//
// The kernel's node numbers are the volume's inodes, so that the names of
// a hard link share one inode in the kernel too.

#define FUSE_USE_VERSION 31

#include <fuse_lowlevel.h>
#include <sys/xattr.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "seed.h"
#include "volume.h"

namespace {

using powercut::Ino;

constexpr char kControlName[] = ".powercut";
constexpr char kOperationListName[] = ".powercut-ops";
constexpr Ino kControlIno = Ino{1} << 62;
constexpr Ino kOperationListIno = kControlIno + 1;
// Names and attributes are kept by the kernel until a reset or a reboot
// drops them (ReplaceTree); absent names are asked for every time, and a
// file's cached pages are dropped at each open.
constexpr double kKept = 24 * 3600;  // seconds

std::unique_ptr<powercut::Volume> volume;
fuse_session* session = nullptr;

bool IsControl(Ino ino) { return ino == kControlIno || ino == kOperationListIno; }

powercut::Owner Caller(fuse_req_t req) {
  const fuse_ctx* context = fuse_req_ctx(req);
  return {context->uid, context->gid};
}

struct stat ControlStat(Ino ino) {
  struct stat info {};
  info.st_ino = ino;
  info.st_mode = S_IFREG | 0666;
  info.st_nlink = 1;
  return info;
}

std::string ControlText() {
  std::string text = "count " + std::to_string(volume->count()) + "\n";
  if (volume->cutAt() == 0) return text;
  text += "cut " + std::to_string(volume->cutAt()) + "\n";
  const auto [written, pending] = volume->torn();
  if (volume->tornCuts())
    text += "torn " + std::to_string(written) + " of " + std::to_string(pending) + "\n";
  return text;
}

std::string OperationListText() {
  std::string text;
  std::uint64_t number = 0;
  for (const std::string& operation : volume->operations())
    text += std::to_string(++number) + " " + operation + "\n";
  return text;
}

std::vector<std::string> RootNames() {
  std::vector<std::pair<std::string, Ino>> entries;
  volume->List(powercut::kRootIno, entries);
  std::vector<std::string> names;
  for (const auto& entry : entries) names.push_back(entry.first);
  return names;
}

// The kernel keeps names and attributes: everything that passes through
// it keeps them true, but a reset or a reboot changes the tree beneath
// it. Dropping the names at the root drops every name below them, and a
// name looked up afresh brings its attributes with it. A write to the
// control file is no operation on the root folder, so the kernel can take
// this while it waits for the write's answer.
void ReplaceTree(void (powercut::Volume::*replace)()) {
  std::vector<std::string> names = RootNames();
  ((*volume).*replace)();
  for (const std::string& name : RootNames()) names.push_back(name);
  for (const std::string& name : names)
    fuse_lowlevel_notify_inval_entry(session, FUSE_ROOT_ID, name.c_str(), name.size());
  fuse_lowlevel_notify_inval_inode(session, FUSE_ROOT_ID, 0, 0);
}

int Command(const std::string& line) {
  std::istringstream words(line);
  std::string word;
  words >> word;
  if (word.empty()) return 0;
  if (word == "reset") {
    ReplaceTree(&powercut::Volume::Reset);
  } else if (word == "reboot") {
    ReplaceTree(&powercut::Volume::Reboot);
  } else if (word == "cut") {
    unsigned long long operations = 0;
    if (!(words >> operations)) return -EINVAL;
    volume->CutAfter(operations);
  } else if (word == "torn") {
    std::string seed;
    words >> seed;
    if (seed == "off") {
      volume->TornCuts(false, 0);
    } else {
      char* end = nullptr;
      const unsigned long long value = std::strtoull(seed.c_str(), &end, 10);
      if (seed.empty() || *end != '\0') return -EINVAL;
      volume->TornCuts(true, value);
    }
  } else {
    return -EINVAL;
  }
  return 0;
}

int Commands(const char* data, std::size_t size) {
  std::istringstream lines(std::string(data, size));
  for (std::string line; std::getline(lines, line);)
    if (int error = Command(line)) return error;
  return 0;
}

void ReplyEntry(fuse_req_t req, Ino ino) {
  fuse_entry_param entry{};
  entry.ino = ino;
  if (IsControl(ino)) {
    entry.attr = ControlStat(ino);
  } else if (int error = volume->Stat(ino, entry.attr)) {
    fuse_reply_err(req, -error);
    return;
  } else {
    entry.attr_timeout = kKept;
    entry.entry_timeout = kKept;
  }
  fuse_reply_entry(req, &entry);
}

// The answer of an operation that makes or finds an inode.
void ReplyMade(fuse_req_t req, int error, Ino ino) {
  if (error)
    fuse_reply_err(req, -error);
  else
    ReplyEntry(req, ino);
}

void ReplyStatus(fuse_req_t req, int error) { fuse_reply_err(req, -error); }

void ReplyAttributes(fuse_req_t req, Ino ino) {
  struct stat info {};
  if (IsControl(ino)) {
    info = ControlStat(ino);
  } else if (int error = volume->Stat(ino, info)) {
    fuse_reply_err(req, -error);
    return;
  }
  fuse_reply_attr(req, &info, IsControl(ino) ? 0 : kKept);
}

void Init(void*, fuse_conn_info* conn) { conn->want &= ~FUSE_CAP_WRITEBACK_CACHE; }

void Lookup(fuse_req_t req, fuse_ino_t parent, const char* name) {
  if (parent == FUSE_ROOT_ID && std::strcmp(name, kControlName) == 0)
    return ReplyEntry(req, kControlIno);
  if (parent == FUSE_ROOT_ID && std::strcmp(name, kOperationListName) == 0)
    return ReplyEntry(req, kOperationListIno);
  Ino ino = 0;
  const int error = volume->Lookup(parent, name, ino);
  ReplyMade(req, error, ino);
}

void Forget(fuse_req_t req, fuse_ino_t, uint64_t) { fuse_reply_none(req); }

void GetAttr(fuse_req_t req, fuse_ino_t ino, fuse_file_info*) { ReplyAttributes(req, ino); }

int SetAttributes(Ino ino, const struct stat& attr, int toSet) {
  if (toSet & FUSE_SET_ATTR_MODE) {
    if (int error = volume->Chmod(ino, attr.st_mode)) return error;
  }
  if (toSet & (FUSE_SET_ATTR_UID | FUSE_SET_ATTR_GID)) {
    const uid_t uid = (toSet & FUSE_SET_ATTR_UID) ? attr.st_uid : static_cast<uid_t>(-1);
    const gid_t gid = (toSet & FUSE_SET_ATTR_GID) ? attr.st_gid : static_cast<gid_t>(-1);
    if (int error = volume->Chown(ino, uid, gid)) return error;
  }
  if (toSet & FUSE_SET_ATTR_SIZE) {
    if (int error = volume->Truncate(ino, attr.st_size)) return error;
  }
  if (toSet & (FUSE_SET_ATTR_ATIME | FUSE_SET_ATTR_MTIME)) {
    timespec times[2] = {{0, UTIME_OMIT}, {0, UTIME_OMIT}};
    if (toSet & FUSE_SET_ATTR_ATIME)
      times[0] = (toSet & FUSE_SET_ATTR_ATIME_NOW) ? timespec{0, UTIME_NOW} : attr.st_atim;
    if (toSet & FUSE_SET_ATTR_MTIME)
      times[1] = (toSet & FUSE_SET_ATTR_MTIME_NOW) ? timespec{0, UTIME_NOW} : attr.st_mtim;
    if (int error = volume->SetTimes(ino, times)) return error;
  }
  return 0;
}

void SetAttr(fuse_req_t req, fuse_ino_t ino, struct stat* attr, int toSet, fuse_file_info*) {
  // The control files take a truncation from an open for writing.
  if (IsControl(ino)) return ReplyAttributes(req, ino);
  if (int error = SetAttributes(ino, *attr, toSet)) return ReplyStatus(req, error);
  ReplyAttributes(req, ino);
}

void ReadLink(fuse_req_t req, fuse_ino_t ino) {
  std::string target;
  if (int error = volume->ReadLink(ino, target)) return ReplyStatus(req, error);
  fuse_reply_readlink(req, target.c_str());
}

void MakeNode(fuse_req_t req, fuse_ino_t parent, const char* name, mode_t mode, dev_t) {
  Ino ino = 0;
  const int error = volume->MakeNode(parent, name, mode, Caller(req), ino);
  ReplyMade(req, error, ino);
}

void MakeFolder(fuse_req_t req, fuse_ino_t parent, const char* name, mode_t mode) {
  Ino ino = 0;
  const int error = volume->MakeFolder(parent, name, mode, Caller(req), ino);
  ReplyMade(req, error, ino);
}

bool IsControlName(fuse_ino_t parent, const char* name) {
  return parent == FUSE_ROOT_ID &&
         (std::strcmp(name, kControlName) == 0 || std::strcmp(name, kOperationListName) == 0);
}

void Unlink(fuse_req_t req, fuse_ino_t parent, const char* name) {
  if (IsControlName(parent, name)) return ReplyStatus(req, -EPERM);
  ReplyStatus(req, volume->Unlink(parent, name));
}

void RemoveFolder(fuse_req_t req, fuse_ino_t parent, const char* name) {
  ReplyStatus(req, volume->RemoveFolder(parent, name));
}

void Symlink(fuse_req_t req, const char* target, fuse_ino_t parent, const char* name) {
  Ino ino = 0;
  const int error = volume->MakeLink(target, parent, name, Caller(req), ino);
  ReplyMade(req, error, ino);
}

void Rename(fuse_req_t req, fuse_ino_t parent, const char* name, fuse_ino_t newParent,
            const char* newName, unsigned int flags) {
  if (IsControlName(parent, name) || IsControlName(newParent, newName))
    return ReplyStatus(req, -EPERM);
  ReplyStatus(req, volume->Rename(parent, name, newParent, newName, flags));
}

void Link(fuse_req_t req, fuse_ino_t ino, fuse_ino_t newParent, const char* newName) {
  if (IsControl(ino) || IsControlName(newParent, newName)) return ReplyStatus(req, -EPERM);
  const int error = volume->AddName(ino, newParent, newName);
  ReplyMade(req, error, ino);
}

void Open(fuse_req_t req, fuse_ino_t ino, fuse_file_info* fi) {
  if (IsControl(ino)) {
    fi->direct_io = 1;
    fuse_reply_open(req, fi);
    return;
  }
  struct stat info {};
  if (int error = volume->Stat(ino, info)) return ReplyStatus(req, error);
  if ((fi->flags & O_TRUNC) && info.st_size > 0) {
    if (int error = volume->Truncate(ino, 0)) return ReplyStatus(req, error);
  }
  fuse_reply_open(req, fi);
}

void Create(fuse_req_t req, fuse_ino_t parent, const char* name, mode_t mode, fuse_file_info* fi) {
  if (IsControlName(parent, name)) return ReplyStatus(req, -EEXIST);
  Ino ino = 0;
  const bool exclusive = (fi->flags & O_EXCL) != 0;
  if (int error = volume->Create(parent, name, mode, Caller(req), exclusive, ino))
    return ReplyStatus(req, error);
  struct stat info {};
  volume->Stat(ino, info);
  if ((fi->flags & O_TRUNC) && info.st_size > 0) {
    if (int error = volume->Truncate(ino, 0)) return ReplyStatus(req, error);
  }
  fuse_entry_param entry{};
  entry.ino = ino;
  volume->Stat(ino, entry.attr);
  entry.attr_timeout = kKept;
  entry.entry_timeout = kKept;
  fuse_reply_create(req, &entry, fi);
}

void ReplyText(fuse_req_t req, const std::string& text, std::size_t size, off_t offset) {
  if (offset < 0 || static_cast<std::size_t>(offset) >= text.size()) {
    fuse_reply_buf(req, nullptr, 0);
    return;
  }
  const std::size_t got = std::min(size, text.size() - static_cast<std::size_t>(offset));
  fuse_reply_buf(req, text.data() + offset, got);
}

void Read(fuse_req_t req, fuse_ino_t ino, std::size_t size, off_t offset, fuse_file_info*) {
  if (ino == kControlIno) return ReplyText(req, ControlText(), size, offset);
  if (ino == kOperationListIno) return ReplyText(req, OperationListText(), size, offset);
  if (size > INT_MAX) size = INT_MAX;
  std::vector<char> buffer(size);
  const int got = volume->Read(ino, buffer.data(), size, offset);
  if (got < 0) return ReplyStatus(req, got);
  fuse_reply_buf(req, buffer.data(), static_cast<std::size_t>(got));
}

void Write(fuse_req_t req, fuse_ino_t ino, const char* data, std::size_t size, off_t offset,
           fuse_file_info* fi) {
  if (ino == kOperationListIno) return ReplyStatus(req, -EPERM);
  if (ino == kControlIno) {
    if (int error = Commands(data, size)) return ReplyStatus(req, error);
    fuse_reply_write(req, size);
    return;
  }
  if (size > INT_MAX) size = INT_MAX;
  const int wrote = volume->Write(ino, data, size, offset, (fi->flags & O_APPEND) != 0);
  if (wrote < 0) return ReplyStatus(req, wrote);
  fuse_reply_write(req, static_cast<std::size_t>(wrote));
}

void Release(fuse_req_t req, fuse_ino_t, fuse_file_info*) { fuse_reply_err(req, 0); }

void Sync(fuse_req_t req, fuse_ino_t ino, int datasync, fuse_file_info*) {
  if (IsControl(ino)) return ReplyStatus(req, 0);
  ReplyStatus(req, volume->SyncFile(ino, datasync != 0));
}

void OpenFolder(fuse_req_t req, fuse_ino_t ino, fuse_file_info* fi) {
  std::vector<std::pair<std::string, Ino>> entries;
  if (int error = volume->List(ino, entries)) return ReplyStatus(req, error);
  fuse_reply_open(req, fi);
}

// Entries from offset on, as many as fit; each entry's offset is the
// place of the next.
void ReadFolder(fuse_req_t req, fuse_ino_t ino, std::size_t size, off_t offset, fuse_file_info*) {
  std::vector<std::pair<std::string, Ino>> entries;
  if (int error = volume->List(ino, entries)) return ReplyStatus(req, error);
  entries.insert(entries.begin(), {{".", ino}, {"..", ino}});
  std::vector<char> buffer(size);
  std::size_t used = 0;
  for (std::size_t i = static_cast<std::size_t>(std::max<off_t>(offset, 0)); i < entries.size();
       ++i) {
    struct stat info {};
    if (i >= 2 && volume->Stat(entries[i].second, info) != 0) continue;
    if (i < 2) info.st_mode = S_IFDIR;
    info.st_ino = entries[i].second;
    const std::size_t needed =
        fuse_add_direntry(req, buffer.data() + used, size - used, entries[i].first.c_str(), &info,
                          static_cast<off_t>(i + 1));
    if (needed > size - used) break;
    used += needed;
  }
  fuse_reply_buf(req, buffer.data(), used);
}

void ReleaseFolder(fuse_req_t req, fuse_ino_t, fuse_file_info*) { fuse_reply_err(req, 0); }

void SyncFolder(fuse_req_t req, fuse_ino_t ino, int, fuse_file_info*) {
  ReplyStatus(req, volume->SyncFolder(ino));
}

void StatFs(fuse_req_t req, fuse_ino_t) {
  struct statvfs info {};
  info.f_bsize = 4096;
  info.f_frsize = 4096;
  info.f_blocks = 1 << 24;
  info.f_bfree = 1 << 23;
  info.f_bavail = 1 << 23;
  info.f_files = 1 << 20;
  info.f_ffree = 1 << 19;
  info.f_favail = 1 << 19;
  info.f_namemax = 255;
  fuse_reply_statfs(req, &info);
}

void SetXattr(fuse_req_t req, fuse_ino_t ino, const char* name, const char* value, std::size_t size,
              int flags) {
  if (IsControl(ino)) return ReplyStatus(req, -ENOTSUP);
  ReplyStatus(req, volume->SetXattr(ino, name, std::string(value, size), flags));
}

// The value, or its size when asked with no room.
void ReplyValue(fuse_req_t req, const std::string& value, std::size_t size) {
  if (size == 0)
    fuse_reply_xattr(req, value.size());
  else if (size < value.size())
    fuse_reply_err(req, ERANGE);
  else
    fuse_reply_buf(req, value.data(), value.size());
}

void GetXattr(fuse_req_t req, fuse_ino_t ino, const char* name, std::size_t size) {
  if (IsControl(ino)) return ReplyStatus(req, -ENODATA);
  std::string value;
  if (int error = volume->GetXattr(ino, name, value)) return ReplyStatus(req, error);
  ReplyValue(req, value, size);
}

void ListXattr(fuse_req_t req, fuse_ino_t ino, std::size_t size) {
  std::string names;
  if (!IsControl(ino)) {
    if (int error = volume->ListXattr(ino, names)) return ReplyStatus(req, error);
  }
  ReplyValue(req, names, size);
}

void RemoveXattr(fuse_req_t req, fuse_ino_t ino, const char* name) {
  if (IsControl(ino)) return ReplyStatus(req, -ENODATA);
  ReplyStatus(req, volume->RemoveXattr(ino, name));
}

fuse_lowlevel_ops Operations() {
  fuse_lowlevel_ops ops{};
  ops.init = Init;
  ops.lookup = Lookup;
  ops.forget = Forget;
  ops.getattr = GetAttr;
  ops.setattr = SetAttr;
  ops.readlink = ReadLink;
  ops.mknod = MakeNode;
  ops.mkdir = MakeFolder;
  ops.unlink = Unlink;
  ops.rmdir = RemoveFolder;
  ops.symlink = Symlink;
  ops.rename = Rename;
  ops.link = Link;
  ops.open = Open;
  ops.read = Read;
  ops.write = Write;
  ops.release = Release;
  ops.fsync = Sync;
  ops.opendir = OpenFolder;
  ops.readdir = ReadFolder;
  ops.releasedir = ReleaseFolder;
  ops.fsyncdir = SyncFolder;
  ops.statfs = StatFs;
  ops.setxattr = SetXattr;
  ops.getxattr = GetXattr;
  ops.listxattr = ListXattr;
  ops.removexattr = RemoveXattr;
  ops.create = Create;
  return ops;
}

// In the foreground and single-threaded: the volume has one state, and
// the order of the operations is the order they are counted in.
int Serve(const char* program, const char* mountPoint, int extraCount, char** extra) {
  std::vector<char*> args{const_cast<char*>(program), const_cast<char*>("-o"),
                          const_cast<char*>("default_permissions,fsname=powercut")};
  for (int i = 0; i < extraCount; ++i) args.push_back(extra[i]);
  fuse_args fuseArgs = FUSE_ARGS_INIT(static_cast<int>(args.size()), args.data());
  const fuse_lowlevel_ops ops = Operations();
  session = fuse_session_new(&fuseArgs, &ops, sizeof ops, nullptr);
  if (!session) return 1;
  int status = 1;
  if (fuse_set_signal_handlers(session) == 0) {
    if (fuse_session_mount(session, mountPoint) == 0) {
      status = fuse_session_loop(session) == 0 ? 0 : 1;
      fuse_session_unmount(session);
    }
    fuse_remove_signal_handlers(session);
  }
  fuse_session_destroy(session);
  return status;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s SEED-FOLDER MOUNT-POINT [FUSE OPTIONS]\n", argv[0]);
    return 2;
  }
  powercut::Table seed;
  std::string error;
  if (!powercut::LoadSeed(argv[1], seed, error)) {
    std::fprintf(stderr, "%s: cannot read the seed: %s\n", argv[0], error.c_str());
    return 1;
  }
  volume = std::make_unique<powercut::Volume>(std::move(seed));
  return Serve(argv[0], argv[2], argc - 3, argv + 3);
}
