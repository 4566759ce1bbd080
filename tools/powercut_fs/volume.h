#pragma once
// A file system held in memory that forgets, at a power cut, whatever was
// not made durable. Every inode has two versions: the one the programs see
// and the one on the "disk". A file's fsync copies its bytes and metadata
// to the disk, its fdatasync the bytes alone; a folder's fsync copies its
// entries (names to inodes) and its metadata. After a cut only what the
// durable entries reach from the root exists, each inode as it was last
// made durable; a new inode never synced comes back empty. That is
// stricter than any real file system, on purpose: a program that survives
// it has ordered its syncs.
//
// Every operation returns 0 (or a count of bytes) or a negated errno.

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <ctime>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace powercut {

using Ino = std::uint64_t;
inline constexpr Ino kRootIno = 1;

// Bytes shared between versions until one of them is written.
using Bytes = std::shared_ptr<const std::string>;
using Entries = std::map<std::string, Ino>;

struct Meta {
  mode_t mode = 0;
  uid_t uid = 0;
  gid_t gid = 0;
  timespec atime{};
  timespec mtime{};
  timespec ctime{};
  std::map<std::string, std::string> xattrs;
};

struct Version {
  Meta meta;
  Bytes bytes;      // of a file, or a link's target
  Entries entries;  // of a folder
};

struct Inode {
  Version now;
  Version durable;
  nlink_t links = 0;  // names in the tree the programs see
  std::string name;   // the path it was last given, to tell operations by
};

using Table = std::map<Ino, Inode>;

// The caller of an operation that makes an inode.
struct Owner {
  uid_t uid = 0;
  gid_t gid = 0;
};

class Volume {
 public:
  // The seed is the state of a reset: all of it durable.
  explicit Volume(Table seed);

  // Back to the seed; the count starts again.
  void Reset();
  // The power fails right after the next `operations` changing operations:
  // the durable state is kept there as the crash image, and what follows
  // is served but forgotten by the next reboot. 0 cuts at once.
  void CutAfter(std::uint64_t operations);
  // The crash image becomes the state (taken now if no cut fell yet); the
  // image stays for the next reboot.
  void Reboot();

  // With torn cuts, a cut also writes to the disk an ordered prefix, of a
  // length drawn at random, of the changes not yet durable: a disk that
  // wrote back some of what it was given, in the order given.
  void TornCuts(bool torn, std::uint64_t seed);
  // How many of how many changes not yet durable the last torn cut wrote.
  std::pair<std::size_t, std::size_t> torn() const { return tornWritten_; }
  bool tornCuts() const { return torn_; }

  std::uint64_t count() const { return count_; }
  // The operation after which the cut fell, 0 while none has.
  std::uint64_t cutAt() const { return cutTaken_ ? cutAt_ : 0; }
  // Each changing operation since the reset, in order (the first is 1).
  const std::vector<std::string>& operations() const { return operations_; }

  int Resolve(const std::string& path, Ino& ino) const;
  int Lookup(Ino folder, const std::string& name, Ino& ino) const;
  int Stat(Ino ino, struct stat& info) const;
  int List(Ino ino, std::vector<std::pair<std::string, Ino>>& entries) const;
  int Read(Ino ino, char* buffer, std::size_t size, off_t offset) const;
  int ReadLink(Ino ino, std::string& target) const;
  int GetXattr(Ino ino, const std::string& name, std::string& value) const;
  int ListXattr(Ino ino, std::string& names) const;

  // An entry `name` in `folder`, made or found; exclusive: fail with
  // EEXIST where the name is taken (O_EXCL).
  int Create(Ino folder, const std::string& name, mode_t mode, Owner owner, bool exclusive,
             Ino& ino);
  int MakeFolder(Ino folder, const std::string& name, mode_t mode, Owner owner, Ino& ino);
  int MakeNode(Ino folder, const std::string& name, mode_t mode, Owner owner, Ino& ino);
  int MakeLink(const std::string& target, Ino folder, const std::string& name, Owner owner,
               Ino& ino);
  int AddName(Ino ino, Ino folder, const std::string& name);
  int Unlink(Ino folder, const std::string& name);
  int RemoveFolder(Ino folder, const std::string& name);
  // flags as renameat2 takes them: RENAME_NOREPLACE, RENAME_EXCHANGE.
  int Rename(Ino from, const std::string& fromName, Ino to, const std::string& toName,
             unsigned flags);

  int Write(Ino ino, const char* data, std::size_t size, off_t offset, bool append);
  int Truncate(Ino ino, off_t size);
  int Chmod(Ino ino, mode_t mode);
  int Chown(Ino ino, uid_t uid, gid_t gid);
  // UTIME_NOW and UTIME_OMIT as utimensat takes them.
  int SetTimes(Ino ino, const timespec times[2]);
  // flags: XATTR_CREATE, XATTR_REPLACE.
  int SetXattr(Ino ino, const std::string& name, const std::string& value, int flags);
  int RemoveXattr(Ino ino, const std::string& name);

  int SyncFile(Ino ino, bool dataOnly);
  int SyncFolder(Ino ino);

 private:
  // The part of an inode that a change not yet durable is about, and the
  // part as it was right after the change.
  enum class Part { kBytes, kMeta, kEntries };
  struct Pending {
    Ino ino;
    Part part;
    Version after;
  };
  void Note(Ino ino, Part part);
  void Synced(Ino ino, Part part);
  void TakeCrashImage();

  Inode* Find(Ino ino);
  const Inode* Find(Ino ino) const;
  int CheckFolder(Ino folder, const std::string& name) const;
  std::string PathOf(Ino folder, const std::string& name) const;
  int AddInode(Ino folder, const std::string& name, mode_t mode, Owner owner, Bytes bytes,
               Ino& ino);
  void Unname(Ino folder, const std::string& name, Ino ino);
  bool Contains(Ino folder, Ino inner) const;
  void Touch(Inode& inode, bool content);
  // Counts a changing operation and cuts the power where it is due.
  void Changed(std::string what);
  // From the root through the durable entries of `from`.
  static Table CrashImage(const Table& from);

  Table seed_;
  Table inodes_;
  Table crash_;
  Ino next_ = kRootIno + 1;
  std::uint64_t count_ = 0;
  std::uint64_t cutAt_ = 0;
  bool cutArmed_ = false;
  bool cutTaken_ = false;
  std::vector<std::string> operations_;
  std::vector<Pending> pending_;  // in the order made; only while torn
  bool torn_ = false;
  std::mt19937_64 random_;
  std::pair<std::size_t, std::size_t> tornWritten_;
};

}  // namespace powercut
