#pragma once
// What the case-insensitive mapping has learnt of the folders it looked
// into, so that a run lists each folder once instead of once per name.
//
// Only the active cache (platform::NameCacheScope) is consulted. The layer's
// own writes keep it true: every create, copy, write, rename and removal
// tells it the name it added or took away. A name it does not know is
// looked for on disk, in the case asked for, before it is taken as missing,
// so that a name made behind the layer's back (the exchange program's
// stores, the log library's file) is still found; a fresh listing of the
// folder (ListFolder) teaches it every name. What it cannot see is a case
// twin of a known name made behind its back and asked for in another case:
// during a run only the run and its exchange program write the trees, and
// the exchange program keeps the names it is given.
//
// The folder's modification time is no help here: the exchange program
// replaces files in the very folders whose new names the run asks for, so
// a listing made again whenever it moved would make those folders cost as
// much as before.

#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace platform {

class NameCache {
 public:
  enum class Kind { kUnknown, kFolder, kOther };

  // The name of an entry of folder (a host path) that equals name without
  // regard to case: the exact name where it exists (and is a folder, when
  // wantFolder), else the twin that is a folder when wantFolder, then the
  // first in byte order. Empty when folder holds no such entry. False when
  // folder cannot be listed: the caller then asks the file system itself.
  // missing, when given, tells whether the file system was asked about the
  // name just now and said nothing is there.
  bool Match(const std::string& folder, const std::string& name, bool wantFolder,
             std::string& match, bool* missing = nullptr);

  // A fresh listing of folder, made by someone else: it replaces what was
  // known.
  void Listed(const std::string& folder, std::vector<std::pair<std::string, Kind>> names);

  // The layer made or took away the entry host (a full host path).
  void Added(const std::string& host, Kind kind);
  void Removed(const std::string& host);

  // Folders known not to be symbolic links: looked at once, or made by the
  // layer. A removal forgets the entry and what lies below it.
  bool KnownNoLink(const std::string& folder) const { return noLinks_.count(folder) != 0; }
  void NotALink(const std::string& folder) { noLinks_.insert(folder); }

  // The host folder that a whole system-form folder path (key) was mapped
  // to, every part found: a path deep in a tree then costs one look-up
  // instead of one for each of its parts. Forgotten when a removal, a case
  // twin or a listing that differs from the one known may change a match.
  bool MappedFolder(const std::string& key, std::string& host) const;
  void RememberMapped(const std::string& key, const std::string& host);

  // How often a folder was read, for tests of the cache's cost.
  std::size_t listings() const { return listings_; }

 private:
  struct Entry {
    std::string name;
    Kind kind = Kind::kUnknown;
  };
  struct Folder {
    // Upper-cased name to the entries of that name, case twins included.
    std::unordered_map<std::string, std::vector<Entry>> names;
  };

  Folder* Known(const std::string& folder);
  Folder* ListAnew(const std::string& folder);
  static bool IsFolder(const std::string& folder, Entry& entry);
  static bool Choose(const std::string& folder, const std::string& name, bool wantFolder,
                     std::vector<Entry>& twins, std::string& match);
  Folder* FindFolder(const std::string& folder);

  struct Mapped {
    std::string host;
    std::size_t generation = 0;
  };
  static bool SameNames(const Folder& a, const Folder& b);

  std::unordered_map<std::string, Folder> folders_;
  std::unordered_set<std::string> noLinks_;
  std::unordered_map<std::string, Mapped> mapped_;
  std::size_t generation_ = 0;  // moves on whenever a remembered mapping may be stale
  std::size_t listings_ = 0;
};

namespace posix {
// The cache of the living NameCacheScope, or null outside one.
NameCache* ActiveNameCache();
}  // namespace posix

}  // namespace platform
