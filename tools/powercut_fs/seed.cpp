#include "seed.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <utility>
#include <vector>

namespace powercut {

namespace {

class SeedReader {
 public:
  explicit SeedReader(Table& table) : table_(table) {}

  bool Read(const std::string& host, const std::string& name, Ino& ino) {
    struct stat info {};
    if (lstat(host.c_str(), &info) != 0) return Fail(host);
    const auto key = std::make_pair(info.st_dev, info.st_ino);
    if (!S_ISDIR(info.st_mode)) {
      auto known = seen_.find(key);
      if (known != seen_.end()) {
        ino = known->second;
        ++table_[ino].links;
        return true;
      }
    }
    ino = table_.empty() ? kRootIno : table_.rbegin()->first + 1;
    if (!S_ISDIR(info.st_mode)) seen_[key] = ino;
    Inode& inode = table_[ino];
    inode.name = name.empty() ? "/" : name;
    inode.links = 1;
    Meta& meta = inode.now.meta;
    meta.mode = info.st_mode;
    meta.uid = info.st_uid;
    meta.gid = info.st_gid;
    meta.atime = info.st_atim;
    meta.mtime = info.st_mtim;
    meta.ctime = info.st_ctim;
    if (!ReadXattrs(host, meta)) return false;
    bool read = true;
    if (S_ISREG(info.st_mode))
      read = ReadBytes(host, inode.now.bytes);
    else if (S_ISLNK(info.st_mode))
      read = ReadLinkTarget(host, inode.now.bytes);
    else if (S_ISDIR(info.st_mode))
      read = ReadFolder(host, name, ino);
    if (!read) return false;
    Inode& done = table_[ino];  // the folder's entries may have moved it
    done.durable = done.now;
    return true;
  }

  const std::string& error() const { return error_; }

 private:
  bool Fail(const std::string& host) {
    error_ = host + ": " + std::strerror(errno);
    return false;
  }

  bool ReadBytes(const std::string& host, Bytes& bytes) {
    const int fd = open(host.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return Fail(host);
    std::string text;
    char buffer[1 << 16];
    for (;;) {
      const ssize_t got = read(fd, buffer, sizeof buffer);
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) {
        close(fd);
        return Fail(host);
      }
      if (got == 0) break;
      text.append(buffer, static_cast<std::size_t>(got));
    }
    close(fd);
    bytes = std::make_shared<const std::string>(std::move(text));
    return true;
  }

  bool ReadLinkTarget(const std::string& host, Bytes& bytes) {
    std::vector<char> buffer(4096);
    const ssize_t got = readlink(host.c_str(), buffer.data(), buffer.size());
    if (got < 0) return Fail(host);
    bytes = std::make_shared<const std::string>(buffer.data(), static_cast<std::size_t>(got));
    return true;
  }

  bool ReadXattrs(const std::string& host, Meta& meta) {
    std::vector<char> names(65536);
    const ssize_t size = llistxattr(host.c_str(), names.data(), names.size());
    if (size < 0) return errno == ENOTSUP || Fail(host);
    for (ssize_t at = 0; at < size;) {
      const std::string name(names.data() + at);
      at += static_cast<ssize_t>(name.size()) + 1;
      std::vector<char> value(65536);
      const ssize_t got = lgetxattr(host.c_str(), name.c_str(), value.data(), value.size());
      if (got < 0) return Fail(host);
      meta.xattrs[name] = std::string(value.data(), static_cast<std::size_t>(got));
    }
    return true;
  }

  bool ReadFolder(const std::string& host, const std::string& name, Ino ino) {
    DIR* dir = opendir(host.c_str());
    if (!dir) return Fail(host);
    std::vector<std::string> names;
    while (dirent* entry = readdir(dir)) {
      const std::string entryName = entry->d_name;
      if (entryName != "." && entryName != "..") names.push_back(entryName);
    }
    closedir(dir);
    for (const std::string& entryName : names) {
      Ino child = 0;
      if (!Read(host + "/" + entryName, name + "/" + entryName, child)) return false;
      table_[ino].now.entries[entryName] = child;
    }
    return true;
  }

  Table& table_;
  std::map<std::pair<dev_t, ino_t>, Ino> seen_;
  std::string error_;
};

}  // namespace

bool LoadSeed(const std::string& host, Table& table, std::string& error) {
  table.clear();
  SeedReader reader(table);
  Ino root = 0;
  if (!reader.Read(host, "", root)) {
    error = reader.error();
    return false;
  }
  struct stat info {};
  if (lstat(host.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
    error = host + ": not a folder";
    return false;
  }
  return true;
}

}  // namespace powercut
