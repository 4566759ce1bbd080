#include "trees/entry_faults.h"

#include "core/run_log.h"

void ReportEntryOnce(RunLog& log, const std::string& path, const std::string& line) {
  log.LogOnceFor(path, line);
}
