#pragma once
// The result of a run for scripts: one JSON document (--summary-json),
// written for every run the command line asked for, started or not.

#include <string>

struct RunRecord;

// How the run ended, as one fixed word: "done", "done-with-errors",
// "not-started" (ended before its first change), "locked" (waited for
// another run in vain), "stopped" (a stop request ended it).
const char* RunVerdict(const RunRecord& record);

struct SummaryPaths {
  std::string log;     // host path, empty when no log was written
  std::string backup;  // host path, empty when no backup was kept
};

// The document, ending with a line end.
std::string SummaryJson(const RunRecord& record, int exitCode, bool dryRun,
                        const SummaryPaths& paths);
