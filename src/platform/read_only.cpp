#include "platform/read_only.h"

#include <cctype>
#include <map>

namespace platform {

struct ReadOnlyOverlay {
  struct Entry {
    bool exists = true;
    int attributes = 0;
  };
  std::map<std::string, Entry> entries;  // by upper-cased path
  WouldDo wouldDo;
};

namespace {

// The one scope in force. The platform layer stands for the machine, and a
// run that must not change the machine is a property of the whole process
// for as long as the scope lives.
ReadOnlyOverlay* active = nullptr;

std::string Key(std::string path) {
  while (path.size() > 1 && path.back() == '\\') path.pop_back();
  for (char& c : path) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return path;
}

int CurrentAttributes(const std::string& path) {
  int attributes = 0;
  GetAttributes(path, attributes);
  return attributes;
}

}  // namespace

ReadOnlyScope::ReadOnlyScope() : overlay_(new ReadOnlyOverlay) { active = overlay_; }

ReadOnlyScope::~ReadOnlyScope() {
  active = nullptr;
  delete overlay_;
}

const WouldDo& ReadOnlyScope::wouldDo() const { return overlay_->wouldDo; }

bool ReadOnly() { return active != nullptr; }

namespace read_only {

bool Active() { return active != nullptr; }

bool Known(const std::string& path, bool& exists, int& attributes) {
  if (!active) return false;
  auto found = active->entries.find(Key(path));
  if (found == active->entries.end()) return false;
  exists = found->second.exists;
  attributes = found->second.attributes;
  return true;
}

Status NoteFolder(const std::string& path) {
  active->entries[Key(path)] = {true, kFolder};
  active->wouldDo.foldersCreated.push_back(path);
  return Status::Ok();
}

Status NoteFile(const std::string& path, int attributes) {
  active->entries[Key(path)] = {true, attributes & ~kFolder};
  active->wouldDo.filesWritten.push_back(path);
  return Status::Ok();
}

Status NoteRemoved(const std::string& path) {
  active->entries[Key(path)] = {false, 0};
  return Status::Ok();
}

Status NoteAttributes(const std::string& path, int attributes) {
  const int before = CurrentAttributes(path);
  const int after = (before & kFolder) | (attributes & ~kFolder);
  if (after != before) ++active->wouldDo.attributeChanges;
  active->entries[Key(path)] = {true, after};
  return Status::Ok();
}

void NoteProgram(const std::string& program, const std::string& argumentText) {
  active->wouldDo.programsNotStarted.push_back(program + " " + argumentText);
}

}  // namespace read_only
}  // namespace platform
