// The search for files by extension: one listing, the same on every
// platform.

#include "platform/paths.h"
#include "platform/platform.h"

namespace platform {

Status FindFiles(const std::string& folder, const std::string& extension,
                 std::vector<std::string>& names) {
  names.clear();
  std::vector<DirEntry> entries;
  Status status = ListFolder(folder, entries);
  if (!status) return status;
  std::string ending = "." + UpperAscii(extension);
  for (const DirEntry& entry : entries) {
    if (entry.attributes & (kFolder | kHidden | kSystem)) continue;
    std::string upper = UpperAscii(entry.name);
    if (upper.size() >= ending.size() &&
        upper.compare(upper.size() - ending.size(), ending.size(), ending) == 0)
      names.push_back(entry.name);
  }
  return Status::Ok();
}

}  // namespace platform
