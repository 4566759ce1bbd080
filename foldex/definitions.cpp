#include "definitions.h"

#include "control.h"

namespace foldex {

namespace {

bool IsNameChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
         c == '_' || c == '$';
}

bool IsName(std::string_view word) {
  if (word.empty() || (word.front() >= '0' && word.front() <= '9')) return false;
  for (char c : word)
    if (!IsNameChar(c)) return false;
  return true;
}

// Splits "NAME[index]" off the end of the left side; words before it are
// the declaration words, which must be names as well.
bool SplitLeftSide(std::string_view left, std::string_view& name, std::string_view& index,
                   bool& indexed) {
  indexed = !left.empty() && left.back() == ']';
  if (indexed) {
    std::size_t open = left.rfind('[');
    if (open == std::string_view::npos) return false;
    index = left.substr(open + 1, left.size() - open - 2);
    if (index.find_first_of("[]") != std::string_view::npos) return false;
    left = Trim(left.substr(0, open));
  }
  std::size_t start = left.find_last_of(" \t");
  name = start == std::string_view::npos ? left : left.substr(start + 1);
  if (!IsName(name)) return false;
  while (start != std::string_view::npos) {
    left = Trim(left.substr(0, start));
    start = left.find_last_of(" \t");
    if (!IsName(start == std::string_view::npos ? left : left.substr(start + 1))) return false;
  }
  return true;
}

}  // namespace

bool ParseDefinition(std::string_view line, Definition& definition) {
  std::string_view trimmed = Trim(line);
  if (trimmed.empty() || trimmed.front() == ';') return false;
  std::size_t equals = line.find('=');
  if (equals == std::string_view::npos) return false;
  if (equals + 1 < line.size() && line[equals + 1] == '=') return false;
  std::string_view name, index;
  bool indexed = false;
  if (!SplitLeftSide(Trim(line.substr(0, equals)), name, index, indexed)) return false;
  definition.key = Upper(name);
  if (indexed) definition.key += "[" + VariableKey(index) + "]";
  definition.valueStart = equals + 1;
  return true;
}

std::string WithValue(std::string_view line, const Definition& definition,
                      std::string_view value) {
  std::string text(line.substr(0, definition.valueStart));
  text.append(value);
  return text;
}

DefinitionIndex IndexDefinitions(std::string_view bytes, const std::vector<Line>& lines) {
  DefinitionIndex index;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    Definition definition;
    if (!ParseDefinition(TextOf(bytes, lines[i]), definition)) continue;
    index.byKey[definition.key].push_back(index.entries.size());
    index.entries.push_back({i, std::move(definition)});
  }
  return index;
}

}  // namespace foldex
