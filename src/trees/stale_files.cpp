#include "trees/stale_files.h"

#include "core/context.h"
#include "platform/platform.h"
#include "util/strings.h"

void RemoveStaleTempFilesOnce(Context& context, const std::string& folder) {
  if (folder.empty() || !context.CleanedFolders.insert(util::Upper(folder)).second) return;
  platform::RemoveStaleTempFiles(folder);
}
