#pragma once
// The summary of a run for the person who started it: on standard error at
// the end of a batch run, and in the end message of an interactive one.

#include <string>

struct RunRecord;

// One line per fact, each ending with "\n". An empty backupPath is shown
// as "none".
std::string SummaryText(const RunRecord& record, const std::string& logPath,
                        const std::string& backupPath);

// The summary of the run just ended: the log's host path ("none" where no
// log was written) and what became of the backup.
std::string RunSummary(const RunRecord& record, const std::string& logFilePath);
