#pragma once
// The change watcher in force, shared by the implementations of platform.h:
// each call that changes something tells it first. Private to the platform
// layer.

#include <string>
#include <vector>

#include "platform/platform.h"

namespace platform::watch {

// The watcher's answer: a failure refuses the change.
Status Before(const std::string& path, Change change, int attributes = 0);
// Changes told ahead; see AnnounceChanges.
void BeforeMany(const std::vector<AnnouncedChange>& changes);
// Whether the watcher is at work: what it writes is its own.
bool Telling();

}  // namespace platform::watch
