#pragma once
// Puts the destination back as it was before the run whose backup folder
// is given: kept files are restored with their attributes, the attributes
// of changed entries are set back, and what the run created is removed
// (files, then the folders left empty).
//
// Nothing read is trusted. The journal is checked whole before anything is
// touched: a journal that is not sound (a bad head or line, an end record
// that does not match, a path outside the destination root its head names,
// a kept file outside the backup's files, a symbolic link on the way to an
// entry) is refused, and nothing is changed. Only ordinary files are read;
// kept bytes whose SHA-256 differs from the journal are never restored.
//
// An entry that has changed since the run (its size or SHA-256 differs from
// the state at the end), or is gone since, is left as it is and listed,
// unless force is set. A journal without its end record is that of a run
// cut off: every complete entry is put back (what changed since cannot be
// told), and the exit code is 1 all the same. Each file is put back in one
// step, and a rollback that was interrupted can be run again: what is
// already back as it was is recognised and left.

#include <functional>
#include <string>

#include "platform/platform.h"

// Takes the lock of the file at path, as a run takes it, waiting while a
// run holds it; false, with the reason told, when it was not taken.
using TakeLock = std::function<bool(platform::FileLock& lock, const std::string& path)>;

struct RollbackReport {
  // One line per entry acted on or left, and a last line of counts.
  std::string lines;
  // What the exit code means and the way on, each line beginning with
  // "vantrel: ", for standard error.
  std::string messages;
};

// Returns the exit code: 0 when everything was put back from a journal with
// its end record; 1 when an entry was left (changed or gone since the run,
// damaged in the backup, failed), the run was cut off, or the journal was
// refused or is missing. The folder holding the backup is the log folder
// of the run that made it, and a rollback locks it as a run does, through
// takeLock, before it reads the journal: a run into the same destination
// and a rollback never work at once. Without the lock the exit code is 1
// with nothing put back.
int RollBack(const std::string& backupFolder, bool force, RollbackReport& report,
             const TakeLock& takeLock);
