#include "support/tree_snapshot.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "platform/paths.h"
#include "platform/platform.h"

namespace fs = std::filesystem;

namespace testenv {

namespace {
std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}
}  // namespace

TreeSnapshot Snapshot(const std::string& hostRoot) {
  TreeSnapshot snapshot;
  for (auto it = fs::recursive_directory_iterator(hostRoot); it != fs::recursive_directory_iterator();
       ++it) {
    EntryState state;
    // A link is recorded by its target and a FIFO or device by its kind:
    // reading them could block or never end.
    state.folder = !it->is_symlink() && it->is_directory();
    if (it->is_symlink())
      state.bytes = "link to " + fs::read_symlink(it->path()).string();
    else if (!state.folder && !it->is_regular_file())
      state.bytes = "neither file nor folder";
    else if (!state.folder)
      state.bytes = ReadBytes(it->path());
    platform::GetAttributes(platform::ToBackslashes(it->path().string()), state.attributes);
    snapshot[fs::relative(it->path(), hostRoot).string()] = state;
  }
  return snapshot;
}

std::string FirstDifference(const TreeSnapshot& expected, const TreeSnapshot& actual) {
  for (const auto& [path, state] : expected) {
    auto found = actual.find(path);
    if (found == actual.end()) return "missing: " + path;
    if (found->second.folder != state.folder) return "kind differs: " + path;
    if (found->second.bytes != state.bytes) return "bytes differ: " + path;
    if (found->second.attributes != state.attributes)
      return "attributes differ: " + path + " (" + std::to_string(state.attributes) + " expected, " +
             std::to_string(found->second.attributes) + ")";
  }
  for (const auto& [path, state] : actual)
    if (!expected.count(path)) return "unexpected: " + path;
  return {};
}

// Entry by entry, each file copied over by removing the old one first: one
// standard library for Windows refuses overwrite_existing.
void CopyTree(const std::string& fromHost, const std::string& toHost) {
  fs::create_directories(toHost);
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(fromHost)) {
    fs::path target = fs::path(toHost) / fs::relative(entry.path(), fromHost);
    if (entry.is_directory()) {
      fs::create_directories(target);
    } else {
      fs::remove(target);
      fs::copy_file(entry.path(), target);
    }
  }
}

void ApplyAttributeList(const std::string& listHostPath) {
  std::ifstream in(listHostPath, std::ios::binary);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == ';') continue;
    std::size_t blank = line.find(' ');
    int attributes = 0;
    for (char letter : line.substr(0, blank)) {
      attributes |= letter == 'R' ? platform::kReadOnly
                  : letter == 'H' ? platform::kHidden
                  : letter == 'S' ? platform::kSystem
                  : letter == 'A' ? platform::kArchive
                                  : 0;
    }
    std::string path = "C:\\" + line.substr(blank + 1);
    if (!platform::SetAttributes(path, attributes))
      throw std::runtime_error("cannot set attributes of " + path);
  }
}

std::string AttributeList(const TreeSnapshot& snapshot) {
  std::string list;
  for (const auto& [path, state] : snapshot) {
    int bits = state.attributes & ~platform::kFolder;
    if (bits == 0) continue;
    std::string letters;
    if (bits & platform::kReadOnly) letters += 'R';
    if (bits & platform::kHidden) letters += 'H';
    if (bits & platform::kSystem) letters += 'S';
    if (bits & platform::kArchive) letters += 'A';
    list += letters + " " + platform::ToBackslashes(path) + "\n";
  }
  return list;
}

namespace {
bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}
}  // namespace

bool WholeStates::Holds(const std::string& path, const std::string& bytes) const {
  auto in = [&](const TreeSnapshot& tree, const std::string& at) {
    auto found = tree.find(at);
    return found != tree.end() && found->second.bytes == bytes;
  };
  const std::string installation = SnapshotKey("QVD/R1/");
  std::string below =
      path.rfind(installation, 0) == 0 ? path.substr(installation.size()) : std::string();
  return in(before, path) || in(after, path) || (!below.empty() && in(source, below)) ||
         (path == SnapshotKey("QVD/R1/System/$CONFIG.DAT") && EndsWith(bytes, "ENDDAT\r\n"));
}

TreeSnapshot WithoutLog(TreeSnapshot tree) {
  for (auto it = tree.begin(); it != tree.end();)
    it = it->first.rfind("LOG", 0) == 0 ? tree.erase(it) : std::next(it);
  return tree;
}

TreeSnapshot SnapshotWithoutLog(const std::string& hostRoot) {
  return WithoutLog(Snapshot(hostRoot));
}

bool HoldsTemporaryFile(const TreeSnapshot& tree) {
  for (const auto& [path, state] : tree)
    if (path.find(".vantrel-tmp") != std::string::npos) return true;
  return false;
}

std::string SnapshotKey(const std::string& slashed) {
  return std::filesystem::path(slashed).make_preferred().string();
}

}  // namespace testenv
