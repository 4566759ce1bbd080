#pragma once
// Checking that the folds of a user file pair up.

#include <string>

struct Context;

// file: relative to Source. True when no fault was found.
bool ParseUserFile(Context& context, const std::string& file);
