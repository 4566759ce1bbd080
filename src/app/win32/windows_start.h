#pragma once
// The start-up of vantrel.exe with its windows.

struct Context;

// An empty command line shows the dialog, any other runs at once with the
// progress window. Returns the exit code.
int RunWithWindows(Context& context);
