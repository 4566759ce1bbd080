#pragma once
// Temporary files that a killed writer left in the folders a run writes
// into.

#include <string>

struct Context;

// Removes the stale temporary files of folder the first time a run writes
// into it; later calls for the same folder cost nothing.
void RemoveStaleTempFilesOnce(Context& context, const std::string& folder);
