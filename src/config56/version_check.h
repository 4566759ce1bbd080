#pragma once
// Deciding whether a 5.x configuration meets a 6.x one.

#include <string>

struct Context;

void CheckConfigVersion(Context& context);

// Whether the destination holds a 5.x configuration and the source does
// not: the older installation was given as the destination. Reads both
// System\$CONFIG.DAT without a log line; a file missing or unreadable
// holds no 5.x configuration.
bool DestinationIsTheOlder(const Context& context);
