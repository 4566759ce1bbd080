#pragma once
// Deciding whether a 5.x configuration meets a 6.x one.

#include <string>

struct Context;

void CheckConfigVersion(Context& context);
