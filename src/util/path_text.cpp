#include "util/path_text.h"

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
