#pragma once
// The folder checks of both installations before a run touches anything.

struct Context;

// True when every needed folder exists; otherwise the error line has been
// written and AbortRun called.
bool CheckInstallationPaths(Context& context);
