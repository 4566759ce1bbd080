#pragma once
// Reading vantrel.ini into its three lists.

#include <string>

struct Context;

// folder: the folder of vantrel.ini, with trailing backslash. False when
// the file cannot be read or holds none of its sections: without the lists
// the system files would be taken for user files, so the run must stop.
bool ReadNegativeList(Context& context, const std::string& folder);
