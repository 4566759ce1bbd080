#include "text.h"

namespace foldex {

std::vector<Line> SplitLines(std::string_view bytes) {
  std::vector<Line> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines.push_back({start, bytes.size(), bytes.size()});
      break;
    }
    std::size_t next = end + 1;
    if (bytes[end] == '\r' && next < bytes.size() && bytes[next] == '\n') ++next;
    lines.push_back({start, end, next});
    start = next;
  }
  return lines;
}

std::string FileBreak(std::string_view bytes, const std::vector<Line>& lines) {
  for (const Line& line : lines)
    if (line.next > line.end) return std::string(BreakOf(bytes, line));
  return "\r\n";
}

std::string_view Trim(std::string_view text) {
  std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  std::size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

bool HasWildcard(std::string_view pattern) {
  return pattern.find_first_of("*?") != std::string_view::npos;
}

}  // namespace foldex
