#include "trees/stale_files.h"

#include "core/run_log.h"
#include "platform/platform.h"
#include "util/strings.h"

void RemoveStaleTempFilesOnce(const TreeRun& run, const std::string& folder) {
  if (folder.empty() || !run.cleanedFolders.insert(util::Upper(folder)).second) return;
  platform::RemoveStaleTempFiles(folder);
}
