#pragma once
// Opening the run's log and reading its error count.

#include <string>

struct Context;

// The log file of a run in the mode given.
std::string ChooseLogFile(bool batch);

// Chooses the log file by mode, creates it, resets the error count and
// writes the ".Used LUMO.DLL: " line. Returns false when the log file could
// not be created: a run never goes on without its log, nor writes it
// through a symbolic link.
bool InitLog(Context& context);
void ReadErrorCount(Context& context);
