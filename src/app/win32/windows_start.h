#pragma once
// The start-up of vantrel.exe with its windows.

#include <string>

struct Context;

// An empty command line shows the dialog, any other runs at once with the
// progress window (none with showProgress false: --quiet). Returns the
// exit code.
int RunWithWindows(Context& context, bool showProgress = true);

// The start of vantrel.exe before it reads its command line: what it
// writes reaches the command prompt it was started from.
void ConnectToTheStartingConsole();

// A failure before anything could start: on standard error where it leads
// somewhere, else in a message box, so that a double click that does
// nothing still says why.
void TellStartFailure(const std::string& text);
