#include "volume.h"

#include <linux/fs.h>
#include <sys/xattr.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <deque>

namespace powercut {

namespace {

timespec Now() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return now;
}

bool IsFolder(const Inode& inode) { return S_ISDIR(inode.now.meta.mode); }

std::vector<std::string> Parts(const std::string& path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t slash = path.find('/', start);
    if (slash == std::string::npos) slash = path.size();
    if (slash > start) parts.push_back(path.substr(start, slash - start));
    start = slash + 1;
  }
  return parts;
}

// A writable copy of bytes that another version may share.
std::string& Own(Bytes& bytes) {
  if (!bytes || bytes.use_count() > 1)
    bytes = std::make_shared<const std::string>(bytes ? *bytes : std::string());
  return const_cast<std::string&>(*bytes);
}

}  // namespace

Volume::Volume(Table seed) : seed_(std::move(seed)) {
  for (const auto& [ino, inode] : seed_) next_ = std::max(next_, ino + 1);
  Reset();
}

void Volume::Reset() {
  inodes_ = seed_;
  crash_.clear();
  count_ = 0;
  cutArmed_ = false;
  cutTaken_ = false;
  operations_.clear();
  pending_.clear();
}

void Volume::TornCuts(bool torn, std::uint64_t seed) {
  torn_ = torn;
  random_.seed(seed);
  pending_.clear();
}

void Volume::CutAfter(std::uint64_t operations) {
  cutArmed_ = true;
  cutTaken_ = false;
  cutAt_ = count_ + operations;
  if (operations == 0) TakeCrashImage();
}

void Volume::Reboot() {
  if (!cutTaken_) {
    cutAt_ = count_;
    TakeCrashImage();
  }
  cutArmed_ = false;
  inodes_ = crash_;
  pending_.clear();
}

void Volume::Changed(std::string what) {
  ++count_;
  operations_.push_back(std::move(what));
  if (cutArmed_ && !cutTaken_ && count_ == cutAt_) TakeCrashImage();
}

void Volume::TakeCrashImage() {
  cutTaken_ = true;
  tornWritten_ = {0, 0};
  if (!torn_) {
    crash_ = CrashImage(inodes_);
    return;
  }
  Table written = inodes_;
  const std::size_t length =
      std::uniform_int_distribution<std::size_t>(0, pending_.size())(random_);
  for (std::size_t i = 0; i < length; ++i) {
    const Pending& change = pending_[i];
    auto inode = written.find(change.ino);
    if (inode == written.end()) continue;
    Version& durable = inode->second.durable;
    if (change.part == Part::kBytes) durable.bytes = change.after.bytes;
    if (change.part == Part::kMeta) durable.meta = change.after.meta;
    if (change.part == Part::kEntries) durable.entries = change.after.entries;
  }
  tornWritten_ = {length, pending_.size()};
  crash_ = CrashImage(written);
}

void Volume::Note(Ino ino, Part part) {
  if (!torn_) return;
  const Inode& inode = *Find(ino);
  Pending change{ino, part, {}};
  if (part == Part::kBytes) change.after.bytes = inode.now.bytes;
  if (part == Part::kMeta) change.after.meta = inode.now.meta;
  if (part == Part::kEntries) change.after.entries = inode.now.entries;
  pending_.push_back(std::move(change));
}

// A change made durable no longer waits to be written, and must not be
// written later over what a sync put there.
void Volume::Synced(Ino ino, Part part) {
  pending_.erase(std::remove_if(pending_.begin(), pending_.end(),
                                [&](const Pending& change) {
                                  return change.ino == ino && change.part == part;
                                }),
                 pending_.end());
}

// From the root through the durable entries only. A folder has one name:
// should two durable entries name the same folder (moved between two
// folders that were both synced), the first one found keeps it.
Table Volume::CrashImage(const Table& from) {
  Table image;
  const auto root = from.find(kRootIno);
  image[kRootIno] = Inode{root->second.durable, root->second.durable, 1, "/"};
  std::deque<Ino> folders{kRootIno};
  while (!folders.empty()) {
    const Ino folder = folders.front();
    folders.pop_front();
    Entries& entries = image[folder].now.entries;
    for (auto it = entries.begin(); it != entries.end();) {
      const auto old = from.find(it->second);
      const bool folderEntry = old != from.end() && S_ISDIR(old->second.durable.meta.mode);
      auto known = image.find(it->second);
      if (old == from.end() || (known != image.end() && folderEntry)) {
        it = entries.erase(it);
        continue;
      }
      if (known != image.end()) {
        ++known->second.links;
      } else {
        image[it->second] = Inode{old->second.durable, old->second.durable, 1, old->second.name};
        if (folderEntry) folders.push_back(it->second);
      }
      ++it;
    }
    image[folder].durable.entries = entries;
  }
  return image;
}

Inode* Volume::Find(Ino ino) {
  auto found = inodes_.find(ino);
  return found == inodes_.end() ? nullptr : &found->second;
}

const Inode* Volume::Find(Ino ino) const {
  auto found = inodes_.find(ino);
  return found == inodes_.end() ? nullptr : &found->second;
}

int Volume::Resolve(const std::string& path, Ino& ino) const {
  ino = kRootIno;
  for (const std::string& part : Parts(path))
    if (int error = Lookup(ino, part, ino)) return error;
  return 0;
}

int Volume::Lookup(Ino folder, const std::string& name, Ino& ino) const {
  const Inode* inode = Find(folder);
  if (!inode) return -ENOENT;
  if (!IsFolder(*inode)) return -ENOTDIR;
  auto entry = inode->now.entries.find(name);
  if (entry == inode->now.entries.end() || !Find(entry->second)) return -ENOENT;
  ino = entry->second;
  return 0;
}

// Whether name may be made in folder.
int Volume::CheckFolder(Ino folder, const std::string& name) const {
  const Inode* inode = Find(folder);
  if (!inode) return -ENOENT;
  if (!IsFolder(*inode)) return -ENOTDIR;
  if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos)
    return -EINVAL;
  return name.size() > 255 ? -ENAMETOOLONG : 0;
}

std::string Volume::PathOf(Ino folder, const std::string& name) const {
  const Inode* inode = Find(folder);
  const std::string base = inode && inode->name != "/" ? inode->name : std::string();
  return base + "/" + name;
}

int Volume::Stat(Ino ino, struct stat& info) const {
  const Inode* inode = Find(ino);
  if (!inode) return -ENOENT;
  const Meta& meta = inode->now.meta;
  info = {};
  info.st_ino = ino;
  info.st_mode = meta.mode;
  info.st_uid = meta.uid;
  info.st_gid = meta.gid;
  info.st_atim = meta.atime;
  info.st_mtim = meta.mtime;
  info.st_ctim = meta.ctime;
  info.st_blksize = 4096;
  if (IsFolder(*inode)) {
    nlink_t folders = 2;
    for (const auto& [name, child] : inode->now.entries) {
      const Inode* entry = Find(child);
      if (entry && IsFolder(*entry)) ++folders;
    }
    info.st_nlink = folders;
    info.st_size = 4096;
  } else {
    info.st_nlink = inode->links;
    info.st_size = inode->now.bytes ? static_cast<off_t>(inode->now.bytes->size()) : 0;
  }
  info.st_blocks = (info.st_size + 511) / 512;
  return 0;
}

int Volume::List(Ino ino, std::vector<std::pair<std::string, Ino>>& entries) const {
  const Inode* inode = Find(ino);
  if (!inode) return -ENOENT;
  if (!IsFolder(*inode)) return -ENOTDIR;
  entries.assign(inode->now.entries.begin(), inode->now.entries.end());
  return 0;
}

int Volume::Read(Ino ino, char* buffer, std::size_t size, off_t offset) const {
  const Inode* inode = Find(ino);
  if (!inode) return -EBADF;
  if (IsFolder(*inode)) return -EISDIR;
  if (!inode->now.bytes || offset < 0 ||
      static_cast<std::size_t>(offset) >= inode->now.bytes->size())
    return 0;
  const std::size_t got =
      std::min(size, inode->now.bytes->size() - static_cast<std::size_t>(offset));
  std::memcpy(buffer, inode->now.bytes->data() + offset, got);
  return static_cast<int>(got);
}

int Volume::ReadLink(Ino ino, std::string& target) const {
  const Inode* inode = Find(ino);
  if (!inode) return -ENOENT;
  if (!S_ISLNK(inode->now.meta.mode)) return -EINVAL;
  target = inode->now.bytes ? *inode->now.bytes : std::string();
  return 0;
}

int Volume::GetXattr(Ino ino, const std::string& name, std::string& value) const {
  const Inode* inode = Find(ino);
  if (!inode) return -ENOENT;
  auto found = inode->now.meta.xattrs.find(name);
  if (found == inode->now.meta.xattrs.end()) return -ENODATA;
  value = found->second;
  return 0;
}

int Volume::ListXattr(Ino ino, std::string& names) const {
  const Inode* inode = Find(ino);
  if (!inode) return -ENOENT;
  names.clear();
  for (const auto& [name, value] : inode->now.meta.xattrs) names += name + '\0';
  return 0;
}

void Volume::Touch(Inode& inode, bool content) {
  const timespec now = Now();
  if (content) inode.now.meta.mtime = now;
  inode.now.meta.ctime = now;
}

int Volume::AddInode(Ino folder, const std::string& name, mode_t mode, Owner owner, Bytes bytes,
                     Ino& ino) {
  if (int error = CheckFolder(folder, name)) return error;
  Inode& parent = *Find(folder);
  if (parent.now.entries.count(name)) return -EEXIST;
  Inode inode;
  inode.now.meta.mode = mode;
  inode.now.meta.uid = owner.uid;
  inode.now.meta.gid = owner.gid;
  inode.now.meta.atime = inode.now.meta.mtime = inode.now.meta.ctime = Now();
  inode.now.bytes = std::move(bytes);
  // On the disk the inode is as it was made, without bytes, until synced.
  inode.durable.meta = inode.now.meta;
  inode.links = 1;
  inode.name = PathOf(folder, name);
  ino = next_++;
  inodes_[ino] = std::move(inode);
  parent.now.entries[name] = ino;
  Touch(parent, true);
  Note(folder, Part::kEntries);
  return 0;
}

int Volume::Create(Ino folder, const std::string& name, mode_t mode, Owner owner, bool exclusive,
                   Ino& ino) {
  if (Lookup(folder, name, ino) == 0) {
    if (exclusive) return -EEXIST;
    return IsFolder(*Find(ino)) ? -EISDIR : 0;
  }
  if (int error = AddInode(folder, name, S_IFREG | (mode & 07777), owner, nullptr, ino))
    return error;
  Changed("create " + PathOf(folder, name));
  return 0;
}

int Volume::MakeFolder(Ino folder, const std::string& name, mode_t mode, Owner owner, Ino& ino) {
  if (int error = AddInode(folder, name, S_IFDIR | (mode & 07777), owner, nullptr, ino))
    return error;
  Changed("mkdir " + PathOf(folder, name));
  return 0;
}

int Volume::MakeNode(Ino folder, const std::string& name, mode_t mode, Owner owner, Ino& ino) {
  if (!S_ISREG(mode) && !S_ISFIFO(mode)) return -EPERM;
  if (int error = AddInode(folder, name, mode, owner, nullptr, ino)) return error;
  Changed("mknod " + PathOf(folder, name));
  return 0;
}

int Volume::MakeLink(const std::string& target, Ino folder, const std::string& name, Owner owner,
                     Ino& ino) {
  auto bytes = std::make_shared<const std::string>(target);
  if (int error = AddInode(folder, name, S_IFLNK | 0777, owner, bytes, ino)) return error;
  // A link's target is written with the link.
  inodes_[ino].durable.bytes = bytes;
  Changed("symlink " + PathOf(folder, name) + " -> " + target);
  return 0;
}

int Volume::AddName(Ino ino, Ino folder, const std::string& name) {
  Inode* inode = Find(ino);
  if (!inode) return -ENOENT;
  if (IsFolder(*inode)) return -EPERM;
  if (int error = CheckFolder(folder, name)) return error;
  Inode& parent = *Find(folder);
  if (parent.now.entries.count(name)) return -EEXIST;
  parent.now.entries[name] = ino;
  Touch(parent, true);
  Note(folder, Part::kEntries);
  ++inode->links;
  Touch(*inode, false);
  Changed("link " + inode->name + " -> " + PathOf(folder, name));
  return 0;
}

// The inode stays while it is open, or named by a durable entry: its data
// is dropped only with the tree at the next reset or reboot.
void Volume::Unname(Ino folder, const std::string& name, Ino ino) {
  Inode& parent = *Find(folder);
  parent.now.entries.erase(name);
  Touch(parent, true);
  Note(folder, Part::kEntries);
  Inode& inode = *Find(ino);
  if (inode.links > 0) --inode.links;
  Touch(inode, false);
}

int Volume::Unlink(Ino folder, const std::string& name) {
  Ino ino = 0;
  if (int error = Lookup(folder, name, ino)) return error;
  if (IsFolder(*Find(ino))) return -EISDIR;
  Unname(folder, name, ino);
  Changed("unlink " + PathOf(folder, name));
  return 0;
}

int Volume::RemoveFolder(Ino folder, const std::string& name) {
  Ino ino = 0;
  if (int error = Lookup(folder, name, ino)) return error;
  if (!IsFolder(*Find(ino))) return -ENOTDIR;
  if (!Find(ino)->now.entries.empty()) return -ENOTEMPTY;
  Unname(folder, name, ino);
  Changed("rmdir " + PathOf(folder, name));
  return 0;
}

bool Volume::Contains(Ino folder, Ino inner) const {
  if (folder == inner) return true;
  const Inode* inode = Find(folder);
  if (!inode || !IsFolder(*inode)) return false;
  for (const auto& [name, child] : inode->now.entries)
    if (Contains(child, inner)) return true;
  return false;
}

int Volume::Rename(Ino fromParent, const std::string& fromName, Ino toParent,
                   const std::string& toName, unsigned flags) {
  if (flags & ~(RENAME_NOREPLACE | RENAME_EXCHANGE)) return -EINVAL;
  Ino ino = 0, replaced = 0;
  if (int error = Lookup(fromParent, fromName, ino)) return error;
  if (int error = CheckFolder(toParent, toName)) return error;
  const std::string from = PathOf(fromParent, fromName);
  const std::string to = PathOf(toParent, toName);
  const bool taken = Lookup(toParent, toName, replaced) == 0;
  if (taken && (flags & RENAME_NOREPLACE)) return -EEXIST;
  if (!taken && (flags & RENAME_EXCHANGE)) return -ENOENT;
  if (taken && replaced == ino) return 0;
  const bool folder = IsFolder(*Find(ino));
  if (folder && Contains(ino, toParent)) return -EINVAL;
  if (flags & RENAME_EXCHANGE) {
    if (IsFolder(*Find(replaced)) && Contains(replaced, fromParent)) return -EINVAL;
    Find(fromParent)->now.entries[fromName] = replaced;
    Find(toParent)->now.entries[toName] = ino;
    Touch(*Find(fromParent), true);
    Touch(*Find(toParent), true);
    Find(replaced)->name = from;
    Find(ino)->name = to;
    Note(fromParent, Part::kEntries);
    Note(toParent, Part::kEntries);
    Changed("exchange " + from + " <-> " + to);
    return 0;
  }
  if (taken) {
    const Inode& target = *Find(replaced);
    if (folder && !IsFolder(target)) return -ENOTDIR;
    if (!folder && IsFolder(target)) return -EISDIR;
    if (IsFolder(target) && !target.now.entries.empty()) return -ENOTEMPTY;
    Unname(toParent, toName, replaced);
  }
  Find(fromParent)->now.entries.erase(fromName);
  Find(toParent)->now.entries[toName] = ino;
  Touch(*Find(fromParent), true);
  Touch(*Find(toParent), true);
  Note(fromParent, Part::kEntries);
  Note(toParent, Part::kEntries);
  Inode& inode = *Find(ino);
  Touch(inode, false);
  inode.name = to;
  Changed("rename " + from + " -> " + to);
  return 0;
}

int Volume::Write(Ino ino, const char* data, std::size_t size, off_t offset, bool append) {
  Inode* inode = Find(ino);
  if (!inode) return -EBADF;
  if (IsFolder(*inode)) return -EISDIR;
  std::string& bytes = Own(inode->now.bytes);
  const std::size_t at = append ? bytes.size() : static_cast<std::size_t>(offset);
  if (bytes.size() < at + size) bytes.resize(at + size);
  std::memcpy(bytes.data() + at, data, size);
  Touch(*inode, true);
  Note(ino, Part::kBytes);
  Changed("write " + inode->name + " " + std::to_string(at) + "+" + std::to_string(size));
  return static_cast<int>(size);
}

int Volume::Truncate(Ino ino, off_t size) {
  Inode* inode = Find(ino);
  if (!inode) return -ENOENT;
  if (IsFolder(*inode)) return -EISDIR;
  if (size < 0) return -EINVAL;
  Own(inode->now.bytes).resize(static_cast<std::size_t>(size));
  Touch(*inode, true);
  Note(ino, Part::kBytes);
  Changed("truncate " + inode->name + " " + std::to_string(size));
  return 0;
}

int Volume::Chmod(Ino ino, mode_t mode) {
  Inode* inode = Find(ino);
  if (!inode) return -ENOENT;
  inode->now.meta.mode = (inode->now.meta.mode & S_IFMT) | (mode & 07777);
  Touch(*inode, false);
  Note(ino, Part::kMeta);
  Changed("chmod " + inode->name + " " + std::to_string(mode & 07777));
  return 0;
}

int Volume::Chown(Ino ino, uid_t uid, gid_t gid) {
  Inode* inode = Find(ino);
  if (!inode) return -ENOENT;
  if (uid != static_cast<uid_t>(-1)) inode->now.meta.uid = uid;
  if (gid != static_cast<gid_t>(-1)) inode->now.meta.gid = gid;
  Touch(*inode, false);
  Note(ino, Part::kMeta);
  Changed("chown " + inode->name);
  return 0;
}

int Volume::SetTimes(Ino ino, const timespec times[2]) {
  Inode* inode = Find(ino);
  if (!inode) return -ENOENT;
  const timespec now = Now();
  timespec* fields[2] = {&inode->now.meta.atime, &inode->now.meta.mtime};
  for (int i = 0; i < 2; ++i) {
    if (times[i].tv_nsec == UTIME_OMIT) continue;
    *fields[i] = times[i].tv_nsec == UTIME_NOW ? now : times[i];
  }
  inode->now.meta.ctime = now;
  Note(ino, Part::kMeta);
  Changed("utimens " + inode->name);
  return 0;
}

int Volume::SetXattr(Ino ino, const std::string& name, const std::string& value, int flags) {
  Inode* inode = Find(ino);
  if (!inode) return -ENOENT;
  auto& xattrs = inode->now.meta.xattrs;
  const bool present = xattrs.count(name) > 0;
  if ((flags & XATTR_CREATE) && present) return -EEXIST;
  if ((flags & XATTR_REPLACE) && !present) return -ENODATA;
  xattrs[name] = value;
  Touch(*inode, false);
  Note(ino, Part::kMeta);
  Changed("setxattr " + inode->name + " " + name);
  return 0;
}

int Volume::RemoveXattr(Ino ino, const std::string& name) {
  Inode* inode = Find(ino);
  if (!inode) return -ENOENT;
  if (inode->now.meta.xattrs.erase(name) == 0) return -ENODATA;
  Touch(*inode, false);
  Note(ino, Part::kMeta);
  Changed("removexattr " + inode->name + " " + name);
  return 0;
}

int Volume::SyncFile(Ino ino, bool dataOnly) {
  Inode* inode = Find(ino);
  if (!inode) return -EBADF;
  inode->durable.bytes = inode->now.bytes;
  Synced(ino, Part::kBytes);
  if (!dataOnly) {
    inode->durable.meta = inode->now.meta;
    Synced(ino, Part::kMeta);
  }
  Changed((dataOnly ? "fdatasync " : "fsync ") + inode->name);
  return 0;
}

int Volume::SyncFolder(Ino ino) {
  Inode* inode = Find(ino);
  if (!inode) return -EBADF;
  if (!IsFolder(*inode)) return SyncFile(ino, false);
  inode->durable.entries = inode->now.entries;
  inode->durable.meta = inode->now.meta;
  Synced(ino, Part::kEntries);
  Synced(ino, Part::kMeta);
  Changed("fsyncdir " + inode->name);
  return 0;
}

}  // namespace powercut
