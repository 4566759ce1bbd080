#pragma once
// Error lines about single entries of the source tree. An entry that
// changed after one stage's walk (it became a FIFO, a device, unreadable)
// is met again by the next stage's walk; it counts as one fault.

#include <string>

class RunLog;

// Writes line unless an earlier line of this run named the entry at path.
void ReportEntryOnce(RunLog& log, const std::string& path, const std::string& line);
