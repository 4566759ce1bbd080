#include "platform/change_watch.h"

namespace platform {

namespace {

// The one watcher in force. Like the read-only scope, a watched run is a
// property of the whole process for as long as the scope lives.
ChangeWatcher* watcher = nullptr;
// Set while the watcher works: what it writes to keep a file is not a
// change of the run.
bool telling = false;

}  // namespace

ChangeWatchScope::ChangeWatchScope(ChangeWatcher& watcherToTell) : outer_(watcher) {
  watcher = &watcherToTell;
}

ChangeWatchScope::~ChangeWatchScope() { watcher = outer_; }

void ChangeWatcher::BeforeChanges(const std::vector<AnnouncedChange>& changes) {
  for (const AnnouncedChange& change : changes) BeforeChange(change.path, change.change, 0);
}

namespace {

struct During {
  During() { telling = true; }
  ~During() { telling = false; }
};

}  // namespace

namespace watch {

Status Before(const std::string& path, Change change, int attributes) {
  if (!watcher || telling || ReadOnly()) return Status::Ok();
  During during;
  return watcher->BeforeChange(path, change, attributes);
}

void BeforeMany(const std::vector<AnnouncedChange>& changes) {
  if (!watcher || telling || ReadOnly()) return;
  During during;
  watcher->BeforeChanges(changes);
}

bool Telling() { return telling; }

}  // namespace watch
}  // namespace platform
