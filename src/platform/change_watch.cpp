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

Status AnnounceChange(const std::string& path) { return watch::Before(path, Change::kInPlace); }

namespace watch {

Status Before(const std::string& path, Change change, int attributes) {
  if (!watcher || telling || ReadOnly()) return Status::Ok();
  struct Telling {
    Telling() { telling = true; }
    ~Telling() { telling = false; }
  } during;
  return watcher->BeforeChange(path, change, attributes);
}

}  // namespace watch
}  // namespace platform
