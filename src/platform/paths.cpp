#include "platform/paths.h"

#include <cctype>

namespace platform {

PathParts SplitSystemPath(const std::string& path) {
  PathParts parts;
  std::size_t pos = 0;
  if (path.size() >= 2 && path[1] == ':' &&
      std::isalpha(static_cast<unsigned char>(path[0]))) {
    parts.drive = static_cast<char>(std::toupper(static_cast<unsigned char>(path[0])));
    parts.rooted = true;
    pos = 2;
  } else if (!path.empty() && (path[0] == '\\' || path[0] == '/')) {
    parts.rooted = true;
  }
  std::string component;
  for (; pos <= path.size(); ++pos) {
    if (pos == path.size() || path[pos] == '\\' || path[pos] == '/') {
      if (!component.empty()) parts.components.push_back(component);
      component.clear();
    } else {
      component += path[pos];
    }
  }
  return parts;
}

std::string ToBackslashes(std::string path) {
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

std::string UpperAscii(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

}  // namespace platform
