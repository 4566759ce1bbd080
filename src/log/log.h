#pragma once
// Opening the run's log and reading its error count.

struct Context;

// Chooses the log file by mode, creates it, resets the error count and
// writes the ".Used LUMO.DLL: " line. Returns false when the log file could
// not be created: a run never goes on without its log.
bool InitLog(Context& context);
void ReadErrorCount(Context& context);
