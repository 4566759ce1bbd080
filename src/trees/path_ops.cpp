#include "trees/path_ops.h"

#include "app/context.h"
#include "platform/platform.h"

int32_t LastBackslashPos(const std::string& s) {
  std::size_t pos = s.rfind('\\');
  return pos == std::string::npos ? 0 : static_cast<int32_t>(pos + 1);
}

std::string FileNamePart(const std::string& s) {
  int32_t pos = LastBackslashPos(s);
  return pos == 0 ? s : s.substr(static_cast<std::size_t>(pos));
}

std::string ParentFolder(const std::string& s) {
  int32_t pos = LastBackslashPos(s);
  return pos == 0 ? s : s.substr(0, static_cast<std::size_t>(pos - 1));
}

std::string SplitFirstPathPart(std::string& s) {
  std::size_t pos = s.find('\\');
  if (pos == std::string::npos) return s;
  std::string first = s.substr(0, pos + 1);
  s.erase(0, pos + 1);
  return first;
}

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

void MakePath(Context& context, const std::string& path) {
  // Only an absolute path says where the folders belong ("C:\..." or, on a
  // host without drives, "\...").
  if (LastBackslashPos(path) == 0) {
    context.Log("# Can not create path: " + path + " : not an absolute path");
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
    context.Log(".Creating : " + folder);
    if (platform::Status status = platform::CreateFolder(folder); !status) {
      // The folders below this one cannot be made either.
      context.Log("# Can not create folder: " + folder + " : " + status.reason);
      return;
    }
  }
}
