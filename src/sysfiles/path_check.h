#pragma once
// The folder checks of both installations before a run touches anything.

struct Context;

// True when every needed folder exists; otherwise the error line for the
// first missing one has been written, and the caller ends the run.
bool CheckInstallationPaths(Context& context);
