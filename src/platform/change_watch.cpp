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

void AnnounceChange(const std::string& path) { watch::Before(path, Change::kInPlace); }

namespace watch {

void Before(const std::string& path, Change change, int attributes) {
  if (!watcher || telling || ReadOnly()) return;
  struct Telling {
    Telling() { telling = true; }
    ~Telling() { telling = false; }
  } during;
  watcher->BeforeChange(path, change, attributes);
}

}  // namespace watch
}  // namespace platform
