#pragma once
// Reading vantrel.ini into its three lists.

#include <string>

struct Context;

// folder: the folder of vantrel.ini, with trailing backslash.
void ReadNegativeList(Context& context, const std::string& folder);
