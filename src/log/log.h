#pragma once
// Opening the run's log and reading its error count.

#include <string>

#include "platform/platform.h"

struct Context;

// The log file of a run in the mode given.
std::string ChooseLogFile(bool batch);

// Chooses the log file by mode, creates it, resets the error count and
// writes the ".Used LUMO.DLL: " line. Fails, with the reason, when the log
// is not written: a run never goes on without its log (the library may
// have left an earlier one in its place, which its lines then never reach),
// nor writes it through a symbolic link.
platform::Status InitLog(Context& context);
void ReadErrorCount(Context& context);
