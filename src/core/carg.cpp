#include "core/carg.h"

#include "core/log_library.h"
#include "util/strings.h"

std::size_t CArg::FindChar(const std::string& text, std::size_t start, char ch) {
  // Positions are not limited to 8 bits: a source path may be longer than
  // 255 characters.
  if (start == 0) start = 1;
  std::size_t found = start <= text.size() ? text.find(ch, start - 1) : std::string::npos;
  return found == std::string::npos ? 0 : found + 1;
}

std::string CArg::FirstField(const std::string& text) {
  std::string field = util::Trim(text);
  if (util::Like(field, "*|*")) field = field.substr(0, field.find('|'));
  field = util::Trim(field);
  while (!field.empty() && (field.back() == '\\' || field.back() == '/')) field.pop_back();
  return field;
}

std::string CArg::CutPathParts(const std::string& path, int n) {
  std::string s = path;
  int count = 0;
  while (!(s.find('\\') == std::string::npos || s.empty() || count >= n)) {
    while (count < n) {
      if (!s.empty() && s.back() == '\\') ++count;
      if (s.empty()) break;
      s.pop_back();
    }
  }
  return s;
}

void CArg::init(const std::string& input, LogLibrary& log) {
  std::string text = util::Trim(input);
  if (text.empty()) return;
  Source = FirstField(text);
  if (Source.empty()) return;
  text = util::Trim(text);
  std::size_t p = FindChar(text, 1, '|');
  text = util::Trim(text.substr(p));
  log.LogWrite(".Source-Path: " + Source);
  Dest = FirstField(text);
  if (Dest.empty()) return;
  Template = CutPathParts(Dest, 2);
  log.LogWrite(".Dest.-Path: " + Dest);
  log.LogWrite(".Temp.-Path: " + Template);
}
