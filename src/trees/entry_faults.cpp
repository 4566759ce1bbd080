#include "trees/entry_faults.h"

#include "core/context.h"

void ReportEntryOnce(Context& context, const std::string& path, const std::string& line) {
  // The run's set of reported faults holds log lines, which never start
  // with a unit separator: the entry's key cannot meet one of them.
  if (context.ReportedFaults.insert("\x1f" + path).second) context.LogOnce(line);
}
