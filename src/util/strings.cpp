#include "util/strings.h"

namespace util {

namespace {
char UpperChar(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
}  // namespace

std::string Trim(std::string_view text) {
  std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  std::size_t last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

std::string Upper(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = UpperChar(c);
  return result;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (UpperChar(a[i]) != UpperChar(b[i])) return false;
  return true;
}

bool EndsWithNoCase(std::string_view text, std::string_view ending) {
  return text.size() >= ending.size() &&
         EqualsNoCase(text.substr(text.size() - ending.size()), ending);
}

bool Like(std::string_view text, std::string_view pattern) {
  // Greedy matching with one backtrack point: linear for the patterns the
  // system uses, and never recursive.
  std::size_t t = 0, p = 0, starP = std::string_view::npos, starT = 0;
  while (t < text.size()) {
    if (p < pattern.size() && (pattern[p] == '?' || pattern[p] == text[t])) {
      ++t;
      ++p;
    } else if (p < pattern.size() && pattern[p] == '*') {
      starP = p++;
      starT = t;
    } else if (starP != std::string_view::npos) {
      p = starP + 1;
      t = ++starT;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

namespace {
bool IsControl(char c) {
  unsigned char code = static_cast<unsigned char>(c);
  return code < 32 || code == 127;
}
}  // namespace

bool IsControllerName(std::string_view name) {
  for (char c : name)
    if (IsControl(c) || std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos)
      return false;
  return true;
}

std::string Printable(std::string_view text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string result;
  result.reserve(text.size());
  for (char c : text) {
    if (!IsControl(c) || c == '\t') {
      result += c;
      continue;
    }
    unsigned char code = static_cast<unsigned char>(c);
    result += '<';
    result += kHex[code >> 4];
    result += kHex[code & 15];
    result += '>';
  }
  return result;
}

}  // namespace util
