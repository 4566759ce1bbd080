#include "trees/path_ops.h"

#include "core/run_log.h"
#include "platform/platform.h"

namespace {

// Takes the next component off the front of rest; false when none is left.
bool NextComponent(std::string& rest, std::string& component) {
  std::size_t pos = rest.find('\\');
  if (pos != std::string::npos) {
    component = rest.substr(0, pos);
    rest.erase(0, pos + 1);
    return true;
  }
  if (rest.empty()) return false;
  component = std::move(rest);
  rest.clear();
  return true;
}

}  // namespace

void MakePath(RunLog& log, const std::string& path) {
  // Only an absolute path says where the folders belong ("C:\..." or, on a
  // host without drives, "\...").
  if (LastBackslashPos(path) == 0) {
    log.Log("# Can not create path: " + path + " : not an absolute path");
    return;
  }
  std::string rest = path;
  const std::string prefix = SplitFirstPathPart(rest);
  std::string built;
  std::string component;
  while (NextComponent(rest, component)) {
    built = built.empty() ? component : built + "\\" + component;
    std::string folder = prefix + built;
    if (platform::Exists(folder) || FileNamePart(built) == ".") continue;
    log.Log(".Creating : " + folder);
    if (platform::Status status = platform::CreateFolder(folder); !status) {
      // The folders below this one cannot be made either.
      log.Log("# Can not create folder: " + folder + " : " + status.reason);
      return;
    }
  }
}
