#include "text.h"

#include <algorithm>
#include <cstring>

namespace foldex {

namespace {
char UpperOf(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
}  // namespace

std::size_t LineWalker::NextOf(char c, std::size_t& cached) const {
  if (cached != kUnknown && (cached == std::string_view::npos || cached >= start_)) return cached;
  const void* found = std::memchr(bytes_.data() + start_, c, bytes_.size() - start_);
  cached = found ? static_cast<std::size_t>(static_cast<const char*>(found) - bytes_.data())
                 : std::string_view::npos;
  return cached;
}

bool LineWalker::Next(Line& line) {
  if (start_ >= bytes_.size()) return false;
  std::size_t end = std::min(NextOf('\r', nextCr_), NextOf('\n', nextLf_));
  if (end == std::string_view::npos) {
    line = {start_, bytes_.size(), bytes_.size()};
    start_ = bytes_.size();
    return true;
  }
  std::size_t next = end + 1;
  if (bytes_[end] == '\r' && next < bytes_.size() && bytes_[next] == '\n') ++next;
  line = {start_, end, next};
  start_ = next;
  return true;
}

std::vector<Line> SplitLines(std::string_view bytes) {
  std::vector<Line> lines;
  LineWalker walker(bytes);
  for (Line line; walker.Next(line);) lines.push_back(line);
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

bool MarkerAt(std::string_view text, std::size_t at, std::string_view needle) {
  if (at > text.size() || text.size() - at < needle.size() || text[at] != needle.front()) {
    return false;
  }
  std::size_t i = 1;
  while (i < needle.size() && UpperOf(text[at + i]) == needle[i]) ++i;
  return i == needle.size();
}

std::size_t FindMarker(std::string_view text, std::string_view needle) {
  std::size_t at = 0;
  while (text.size() - at >= needle.size()) {
    const void* first = std::memchr(text.data() + at, needle.front(), text.size() - at);
    if (!first) break;
    at = static_cast<std::size_t>(static_cast<const char*>(first) - text.data());
    if (MarkerAt(text, at, needle)) return at;
    ++at;
  }
  return std::string_view::npos;
}

bool HasWildcard(std::string_view pattern) {
  return pattern.find_first_of("*?") != std::string_view::npos;
}

bool MatchesAny(std::string_view key, const std::vector<std::string>& patterns) {
  for (const std::string& pattern : patterns)
    if (Like(key, pattern)) return true;
  return false;
}

}  // namespace foldex
