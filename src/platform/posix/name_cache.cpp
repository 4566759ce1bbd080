#include "platform/posix/name_cache.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>

#include "platform/paths.h"
#include "platform/platform.h"

namespace platform {

namespace {

NameCache* g_active = nullptr;  // owned by the outermost NameCacheScope

std::string Join(const std::string& folder, const std::string& name) {
  return folder == "/" ? "/" + name : folder + "/" + name;
}

// The folder and the name of a full host path.
std::pair<std::string, std::string> SplitHost(const std::string& host) {
  std::size_t slash = host.rfind('/');
  if (slash == std::string::npos) return {".", host};
  return {slash == 0 ? "/" : host.substr(0, slash), host.substr(slash + 1)};
}

NameCache::Kind KindOfMode(mode_t mode) {
  if (S_ISDIR(mode)) return NameCache::Kind::kFolder;
  // A link's kind is its target's, asked for only when it matters.
  if (S_ISLNK(mode)) return NameCache::Kind::kUnknown;
  return NameCache::Kind::kOther;
}

NameCache::Kind KindOfDirent(unsigned char type) {
  if (type == DT_DIR) return NameCache::Kind::kFolder;
  if (type == DT_REG) return NameCache::Kind::kOther;
  return NameCache::Kind::kUnknown;
}

}  // namespace

namespace posix {
NameCache* ActiveNameCache() { return g_active; }
}  // namespace posix

NameCacheScope::NameCacheScope() {
  if (g_active) return;
  cache_ = std::make_unique<NameCache>();
  g_active = cache_.get();
}

NameCacheScope::~NameCacheScope() {
  if (cache_ && g_active == cache_.get()) g_active = nullptr;
}

bool NameCache::Match(const std::string& folder, const std::string& name, bool wantFolder,
                      std::string& match, bool* missing) {
  if (missing) *missing = false;
  Folder* known = Known(folder);
  if (!known) return false;
  const std::string key = UpperAscii(name);
  auto found = known->names.find(key);
  if (found == known->names.end()) {
    struct stat info;
    if (lstat(Join(folder, name).c_str(), &info) != 0) {
      if (missing) *missing = errno == ENOENT;
      match.clear();
      return true;
    }
    found = known->names.emplace(key, std::vector<Entry>{{name, KindOfMode(info.st_mode)}}).first;
  }
  return Choose(folder, name, wantFolder, found->second, match);
}

void NameCache::Listed(const std::string& folder, std::vector<std::pair<std::string, Kind>> names) {
  Folder fresh;
  for (auto& listed : names) {
    std::string key = UpperAscii(listed.first);
    fresh.names[key].push_back({std::move(listed.first), listed.second});
  }
  auto known = folders_.find(folder);
  if (known == folders_.end()) {
    folders_.emplace(folder, std::move(fresh));
    return;
  }
  if (!SameNames(known->second, fresh)) ++generation_;
  known->second = std::move(fresh);
}

// Whether two listings of a folder hold the same names, each of the same
// kind where both know it.
bool NameCache::SameNames(const Folder& a, const Folder& b) {
  if (a.names.size() != b.names.size()) return false;
  for (const auto& [key, twins] : a.names) {
    auto other = b.names.find(key);
    if (other == b.names.end() || other->second.size() != twins.size()) return false;
    for (const Entry& entry : twins) {
      bool same = false;
      for (const Entry& twin : other->second)
        same = same || (twin.name == entry.name &&
                        (twin.kind == entry.kind || twin.kind == Kind::kUnknown ||
                         entry.kind == Kind::kUnknown));
      if (!same) return false;
    }
  }
  return true;
}

bool NameCache::MappedFolder(const std::string& key, std::string& host) const {
  auto found = mapped_.find(key);
  if (found == mapped_.end() || found->second.generation != generation_) return false;
  host = found->second.host;
  return true;
}

void NameCache::RememberMapped(const std::string& key, const std::string& host) {
  mapped_[key] = Mapped{host, generation_};
}

void NameCache::Added(const std::string& host, Kind kind) {
  auto [folder, name] = SplitHost(host);
  if (Folder* known = FindFolder(folder)) {
    std::vector<Entry>& twins = known->names[UpperAscii(name)];
    bool present = false;
    for (Entry& entry : twins) {
      if (entry.name != name) continue;
      if (entry.kind != kind && entry.kind != Kind::kUnknown) ++generation_;
      entry.kind = kind;
      present = true;
    }
    // A case twin may take a match from the name beside it.
    if (!present && !twins.empty()) ++generation_;
    if (!present) twins.push_back({name, kind});
  }
  // A folder just made is empty: nothing to list.
  if (kind == Kind::kFolder) {
    folders_[host] = Folder();
    noLinks_.insert(host);
  }
}

void NameCache::Removed(const std::string& host) {
  ++generation_;
  auto [folder, name] = SplitHost(host);
  folders_.erase(host);
  std::erase_if(noLinks_, [&](const std::string& known) {
    return known.compare(0, host.size(), host) == 0 &&
           (known.size() == host.size() || known[host.size()] == '/');
  });
  Folder* known = FindFolder(folder);
  if (!known) return;
  auto found = known->names.find(UpperAscii(name));
  if (found != known->names.end()) {
    const std::string& leaf = name;
    std::erase_if(found->second, [&leaf](const Entry& entry) { return entry.name == leaf; });
    if (found->second.empty()) known->names.erase(found);
  }
}

NameCache::Folder* NameCache::FindFolder(const std::string& folder) {
  auto found = folders_.find(folder);
  return found == folders_.end() ? nullptr : &found->second;
}

NameCache::Folder* NameCache::Known(const std::string& folder) {
  if (Folder* known = FindFolder(folder)) return known;
  return ListAnew(folder);
}

NameCache::Folder* NameCache::ListAnew(const std::string& folder) {
  folders_.erase(folder);
  DIR* dir = opendir(folder.c_str());
  if (!dir) return nullptr;
  ++listings_;
  std::vector<std::pair<std::string, Kind>> names;
  while (dirent* entry = readdir(dir)) {
    std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    names.emplace_back(std::move(name), KindOfDirent(entry->d_type));
  }
  closedir(dir);
  Listed(folder, std::move(names));
  return FindFolder(folder);
}

bool NameCache::IsFolder(const std::string& folder, Entry& entry) {
  if (entry.kind == Kind::kUnknown) {
    struct stat info;
    bool folderKind = stat(Join(folder, entry.name).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    entry.kind = folderKind ? Kind::kFolder : Kind::kOther;
  }
  return entry.kind == Kind::kFolder;
}

// The exact name where it serves, else the twin a folder where one is
// wanted, then the first in byte order: the choice never depends on the
// order of the directory.
bool NameCache::Choose(const std::string& folder, const std::string& name, bool wantFolder,
                       std::vector<Entry>& twins, std::string& match) {
  for (Entry& entry : twins) {
    if (entry.name == name && (!wantFolder || IsFolder(folder, entry))) {
      match = name;
      return true;
    }
  }
  const Entry* best = nullptr;
  bool bestIsFolder = false;
  for (Entry& entry : twins) {
    bool isFolder = wantFolder && IsFolder(folder, entry);
    if (!best || (isFolder && !bestIsFolder) ||
        (isFolder == bestIsFolder && entry.name < best->name)) {
      best = &entry;
      bestIsFolder = isFolder;
    }
  }
  match = best ? best->name : std::string();
  return true;
}

}  // namespace platform
