#pragma once
// Temporary files that a killed writer left in the folders a run writes
// into.

#include <string>

struct TreeRun;

// Removes the stale temporary files of folder the first time a run writes
// into it; later calls for the same folder cost nothing.
void RemoveStaleTempFilesOnce(const TreeRun& run, const std::string& folder);
