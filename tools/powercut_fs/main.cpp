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
//   reboot    the crash image becomes the state (repeatable)
//
// Reading it gives "count N" (changing operations since the reset) and,
// once the cut has fallen, "cut K" (the number of the operation after
// which it fell). /.powercut-ops lists every changing operation since the
// reset, numbered from 1. Locks are left to the kernel.

#define FUSE_USE_VERSION 31

#include <fuse.h>
#include <sys/xattr.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "seed.h"
#include "volume.h"

namespace {

using powercut::Ino;

constexpr char kControl[] = "/.powercut";
constexpr char kOperationList[] = "/.powercut-ops";
constexpr Ino kControlHandle = ~Ino{0};
constexpr Ino kOperationListHandle = ~Ino{0} - 1;

std::unique_ptr<powercut::Volume> volume;

// An open file whose last name is removed keeps a hidden name of the FUSE
// library's (".fuse_hidden..." in its folder) until it is closed. The
// volume sees a removal; the hidden names live here, out of every listing
// and every crash image.
constexpr char kHiddenPrefix[] = ".fuse_hidden";
std::map<std::string, Ino> hidden;

bool IsHidden(const char* path) {
  if (!path) return false;
  const char* slash = std::strrchr(path, '/');
  return std::strncmp(slash ? slash + 1 : path, kHiddenPrefix, sizeof kHiddenPrefix - 1) == 0;
}

int Resolve(const char* path, Ino& ino) {
  if (IsHidden(path)) {
    auto found = hidden.find(path);
    if (found == hidden.end()) return -ENOENT;
    ino = found->second;
    return 0;
  }
  return volume->Resolve(path, ino);
}

bool IsControl(const char* path) {
  return path && (std::strcmp(path, kControl) == 0 || std::strcmp(path, kOperationList) == 0);
}

powercut::Owner Caller() {
  const fuse_context* context = fuse_get_context();
  return {context->uid, context->gid};
}

// The inode an operation is about: its open handle where it has one, else
// its path.
int Target(const char* path, const fuse_file_info* fi, Ino& ino) {
  if (fi && fi->fh != 0) {
    ino = fi->fh;
    return 0;
  }
  if (!path) return -EBADF;
  return Resolve(path, ino);
}

std::string ControlText() {
  std::string text = "count " + std::to_string(volume->count()) + "\n";
  if (volume->cutAt() > 0) text += "cut " + std::to_string(volume->cutAt()) + "\n";
  return text;
}

std::string OperationListText() {
  std::string text;
  std::uint64_t number = 0;
  for (const std::string& operation : volume->operations())
    text += std::to_string(++number) + " " + operation + "\n";
  return text;
}

int Command(const std::string& line) {
  std::istringstream words(line);
  std::string word;
  words >> word;
  if (word.empty()) return 0;
  if (word == "reset") {
    volume->Reset();
  } else if (word == "reboot") {
    volume->Reboot();
  } else if (word == "cut") {
    unsigned long long operations = 0;
    if (!(words >> operations)) return -EINVAL;
    volume->CutAfter(operations);
  } else {
    return -EINVAL;
  }
  return 0;
}

int Commands(const char* data, std::size_t size) {
  std::istringstream lines(std::string(data, size));
  for (std::string line; std::getline(lines, line);)
    if (int error = Command(line)) return error;
  return static_cast<int>(size);
}

void* Init(fuse_conn_info* conn, fuse_config* cfg) {
  // The kernel keeps nothing that a reset or a reboot would make stale:
  // names, attributes and absent names are asked for every time, and a
  // file's cached pages are dropped at each open.
  cfg->entry_timeout = 0;
  cfg->attr_timeout = 0;
  cfg->negative_timeout = 0;
  cfg->use_ino = 1;
  cfg->readdir_ino = 1;
  cfg->nullpath_ok = 1;
  cfg->kernel_cache = 0;
  cfg->auto_cache = 0;
  conn->want &= ~FUSE_CAP_WRITEBACK_CACHE;
  return nullptr;
}

int GetAttr(const char* path, struct stat* info, fuse_file_info* fi) {
  if (IsControl(path) || (fi && (fi->fh == kControlHandle || fi->fh == kOperationListHandle))) {
    *info = {};
    info->st_mode = S_IFREG | 0666;
    info->st_nlink = 1;
    info->st_ino = kControlHandle;
    return 0;
  }
  Ino ino = 0;
  if (int error = Target(path, fi, ino)) return error;
  return volume->Stat(ino, *info);
}

int ReadLink(const char* path, char* buffer, std::size_t size) {
  Ino ino = 0;
  std::string target;
  if (int error = Resolve(path, ino)) return error;
  if (int error = volume->ReadLink(ino, target)) return error;
  if (size == 0) return -EINVAL;
  const std::size_t copied = std::min(size - 1, target.size());
  std::memcpy(buffer, target.data(), copied);
  buffer[copied] = '\0';
  return 0;
}

int MakeNode(const char* path, mode_t mode, dev_t) {
  if (IsControl(path)) return -EEXIST;
  return volume->MakeNode(path, mode, Caller());
}

int MakeFolder(const char* path, mode_t mode) {
  if (IsControl(path)) return -EEXIST;
  return volume->MakeFolder(path, mode, Caller());
}

int Unlink(const char* path) {
  if (IsControl(path)) return -EPERM;
  if (IsHidden(path)) return hidden.erase(path) ? 0 : -ENOENT;
  return volume->Unlink(path);
}

int RemoveFolder(const char* path) { return volume->RemoveFolder(path); }

int Symlink(const char* target, const char* path) {
  if (IsControl(path)) return -EEXIST;
  return volume->MakeLink(target, path, Caller());
}

int Rename(const char* from, const char* to, unsigned int flags) {
  if (IsControl(from) || IsControl(to)) return -EPERM;
  if (IsHidden(to)) {
    Ino ino = 0;
    if (int error = Resolve(from, ino)) return error;
    if (int error = volume->Unlink(from)) return error;
    hidden[to] = ino;
    return 0;
  }
  return volume->Rename(from, to, flags);
}

int Link(const char* existing, const char* path) {
  if (IsControl(existing) || IsControl(path)) return -EPERM;
  return volume->AddName(existing, path);
}

int Chmod(const char* path, mode_t mode, fuse_file_info* fi) {
  if (IsControl(path)) return -EPERM;
  Ino ino = 0;
  if (int error = Target(path, fi, ino)) return error;
  return volume->Chmod(ino, mode);
}

int Chown(const char* path, uid_t uid, gid_t gid, fuse_file_info* fi) {
  if (IsControl(path)) return -EPERM;
  Ino ino = 0;
  if (int error = Target(path, fi, ino)) return error;
  return volume->Chown(ino, uid, gid);
}

int Truncate(const char* path, off_t size, fuse_file_info* fi) {
  if (IsControl(path) || (fi && fi->fh >= kOperationListHandle)) return 0;
  Ino ino = 0;
  if (int error = Target(path, fi, ino)) return error;
  return volume->Truncate(ino, size);
}

int Open(const char* path, fuse_file_info* fi) {
  if (IsControl(path)) {
    fi->fh = std::strcmp(path, kControl) == 0 ? kControlHandle : kOperationListHandle;
    fi->direct_io = 1;
    return 0;
  }
  Ino ino = 0;
  if (int error = Resolve(path, ino)) return error;
  if (fi->flags & O_TRUNC) {
    if (int error = volume->Truncate(ino, 0)) return error;
  }
  fi->fh = ino;
  return 0;
}

int Create(const char* path, mode_t mode, fuse_file_info* fi) {
  if (IsControl(path)) return Open(path, fi);
  Ino ino = 0;
  if (int error = volume->Create(path, mode, Caller(), (fi->flags & O_EXCL) != 0, ino))
    return error;
  fi->fh = ino;
  if (fi->flags & O_TRUNC) {
    struct stat info {};
    volume->Stat(ino, info);
    if (info.st_size > 0) return volume->Truncate(ino, 0);
  }
  return 0;
}

int ReadText(const std::string& text, char* buffer, std::size_t size, off_t offset) {
  if (offset < 0 || static_cast<std::size_t>(offset) >= text.size()) return 0;
  const std::size_t got = std::min(size, text.size() - static_cast<std::size_t>(offset));
  std::memcpy(buffer, text.data() + offset, got);
  return static_cast<int>(got);
}

int Read(const char*, char* buffer, std::size_t size, off_t offset, fuse_file_info* fi) {
  if (fi->fh == kControlHandle) return ReadText(ControlText(), buffer, size, offset);
  if (fi->fh == kOperationListHandle) return ReadText(OperationListText(), buffer, size, offset);
  if (size > INT_MAX) size = INT_MAX;
  return volume->Read(fi->fh, buffer, size, offset);
}

int Write(const char*, const char* data, std::size_t size, off_t offset, fuse_file_info* fi) {
  if (fi->fh == kControlHandle) return Commands(data, size);
  if (fi->fh == kOperationListHandle) return -EPERM;
  if (size > INT_MAX) size = INT_MAX;
  return volume->Write(fi->fh, data, size, offset, (fi->flags & O_APPEND) != 0);
}

int StatFs(const char*, struct statvfs* info) {
  *info = {};
  info->f_bsize = 4096;
  info->f_frsize = 4096;
  info->f_blocks = 1 << 24;
  info->f_bfree = 1 << 23;
  info->f_bavail = 1 << 23;
  info->f_files = 1 << 20;
  info->f_ffree = 1 << 19;
  info->f_favail = 1 << 19;
  info->f_namemax = 255;
  return 0;
}

int Sync(const char*, int datasync, fuse_file_info* fi) {
  if (fi->fh >= kOperationListHandle) return 0;
  return volume->SyncFile(fi->fh, datasync != 0);
}

int SetXattr(const char* path, const char* name, const char* value, std::size_t size, int flags) {
  if (IsControl(path)) return -ENOTSUP;
  Ino ino = 0;
  if (int error = Resolve(path, ino)) return error;
  return volume->SetXattr(ino, name, std::string(value, size), flags);
}

// The value, or its size when asked with no room.
int GiveBack(const std::string& value, char* buffer, std::size_t size) {
  if (size == 0) return static_cast<int>(value.size());
  if (size < value.size()) return -ERANGE;
  std::memcpy(buffer, value.data(), value.size());
  return static_cast<int>(value.size());
}

int GetXattr(const char* path, const char* name, char* buffer, std::size_t size) {
  if (IsControl(path)) return -ENODATA;
  Ino ino = 0;
  std::string value;
  if (int error = Resolve(path, ino)) return error;
  if (int error = volume->GetXattr(ino, name, value)) return error;
  return GiveBack(value, buffer, size);
}

int ListXattr(const char* path, char* buffer, std::size_t size) {
  if (IsControl(path)) return 0;
  Ino ino = 0;
  std::string names;
  if (int error = Resolve(path, ino)) return error;
  if (int error = volume->ListXattr(ino, names)) return error;
  return GiveBack(names, buffer, size);
}

int RemoveXattr(const char* path, const char* name) {
  if (IsControl(path)) return -ENODATA;
  Ino ino = 0;
  if (int error = Resolve(path, ino)) return error;
  return volume->RemoveXattr(ino, name);
}

int OpenFolder(const char* path, fuse_file_info* fi) {
  Ino ino = 0;
  if (int error = Resolve(path, ino)) return error;
  struct stat info {};
  volume->Stat(ino, info);
  if (!S_ISDIR(info.st_mode)) return -ENOTDIR;
  fi->fh = ino;
  return 0;
}

int ReadFolder(const char*, void* buffer, fuse_fill_dir_t fill, off_t, fuse_file_info* fi,
               fuse_readdir_flags) {
  std::vector<std::pair<std::string, Ino>> entries;
  if (int error = volume->List(fi->fh, entries)) return error;
  fill(buffer, ".", nullptr, 0, static_cast<fuse_fill_dir_flags>(0));
  fill(buffer, "..", nullptr, 0, static_cast<fuse_fill_dir_flags>(0));
  for (const auto& [name, ino] : entries) {
    struct stat info {};
    if (volume->Stat(ino, info) != 0) continue;
    fill(buffer, name.c_str(), &info, 0, static_cast<fuse_fill_dir_flags>(0));
  }
  return 0;
}

int SyncFolder(const char*, int, fuse_file_info* fi) { return volume->SyncFolder(fi->fh); }

int SetTimes(const char* path, const timespec times[2], fuse_file_info* fi) {
  if (IsControl(path)) return 0;
  Ino ino = 0;
  if (int error = Target(path, fi, ino)) return error;
  return volume->SetTimes(ino, times);
}

fuse_operations Operations() {
  fuse_operations ops{};
  ops.getattr = GetAttr;
  ops.readlink = ReadLink;
  ops.mknod = MakeNode;
  ops.mkdir = MakeFolder;
  ops.unlink = Unlink;
  ops.rmdir = RemoveFolder;
  ops.symlink = Symlink;
  ops.rename = Rename;
  ops.link = Link;
  ops.chmod = Chmod;
  ops.chown = Chown;
  ops.truncate = Truncate;
  ops.open = Open;
  ops.read = Read;
  ops.write = Write;
  ops.statfs = StatFs;
  ops.fsync = Sync;
  ops.setxattr = SetXattr;
  ops.getxattr = GetXattr;
  ops.listxattr = ListXattr;
  ops.removexattr = RemoveXattr;
  ops.opendir = OpenFolder;
  ops.readdir = ReadFolder;
  ops.fsyncdir = SyncFolder;
  ops.init = Init;
  ops.create = Create;
  ops.utimens = SetTimes;
  return ops;
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
  // In the foreground and single-threaded: the volume has one state, and
  // the order of the operations is the order they are counted in.
  std::vector<char*> args{argv[0],
                          argv[2],
                          const_cast<char*>("-f"),
                          const_cast<char*>("-s"),
                          const_cast<char*>("-o"),
                          const_cast<char*>("default_permissions,fsname=powercut")};
  for (int i = 3; i < argc; ++i) args.push_back(argv[i]);
  const fuse_operations ops = Operations();
  return fuse_main(static_cast<int>(args.size()), args.data(), &ops, nullptr);
}
