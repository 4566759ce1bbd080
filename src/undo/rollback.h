#pragma once
// Puts the destination back as it was before the run whose backup folder
// is given: kept files are restored with their attributes, the attributes
// of changed entries are set back, and what the run created is removed
// (files, then the folders left empty). An entry that has changed since
// the run (its size or SHA-256 differs from the manifest) is left as it is
// and listed, unless force is set. Each file is put back in one step, and
// a rollback that was interrupted can be run again: what is already back
// as it was is recognised and left.

#include <functional>
#include <string>

#include "platform/platform.h"

// Takes the lock of the file at path, as a run takes it, waiting while a
// run holds it; false, with the reason told, when it was not taken.
using TakeLock = std::function<bool(platform::FileLock& lock, const std::string& path)>;

// Returns the exit code: 0 when everything was put back, 1 when an entry
// was left (changed since the run, not kept, or failed) or the backup
// folder holds no manifest. report gets one line per entry acted on or
// left, and a last line of counts. The folder holding the backup is the
// log folder of the run that made it, and a rollback locks it as a run
// does, through takeLock: a run into the same destination and a rollback
// never work at once. Without the lock the exit code is 1 with nothing put
// back.
int RollBack(const std::string& backupFolder, bool force, std::string& report,
             const TakeLock& takeLock);
