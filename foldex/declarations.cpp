#include <unordered_map>

#include "definitions.h"
#include "edits.h"
#include "files.h"
#include "foldex.h"
#include "folds.h"

namespace foldex {

namespace {

// A control line's value for variables the target defines, and the lines
// for those it lacks, each name once: a later line of the same name wins.
struct Settings {
  std::unordered_map<std::string, std::string> values;
  std::vector<std::string> added;
  std::unordered_map<std::string, std::size_t> addedAt;
};

bool IsEndDat(std::string_view line) {
  std::string text = Upper(Trim(line));
  return text.rfind("ENDDAT", 0) == 0 &&
         (text.size() == 6 || text[6] == ' ' || text[6] == '\t' || text[6] == ';');
}

Settings ReadSettings(const std::string& controlPath, std::string_view control,
                      const DefinitionIndex& target, Problems& problems) {
  Settings settings;
  std::vector<Line> lines = SplitLines(control);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string_view text = TextOf(control, lines[i]);
    std::string_view trimmed = Trim(text);
    if (trimmed.empty() || trimmed.front() == ';') continue;
    Definition definition;
    if (!ParseDefinition(text, definition)) {
      problems.push_back(controlPath + ", line " + std::to_string(i + 1) +
                         ": not a definition: " + std::string(trimmed));
      continue;
    }
    // A marker in a declaration would open or close a fold of the target.
    if (!SameFoldRole(text, "")) {
      problems.push_back(controlPath + ", line " + std::to_string(i + 1) +
                         ": holds a fold marker, not set: " + std::string(trimmed));
      continue;
    }
    if (target.byKey.count(definition.key)) {
      settings.values[definition.key] = std::string(text.substr(definition.valueStart));
    } else if (auto at = settings.addedAt.find(definition.key); at != settings.addedAt.end()) {
      settings.added[at->second] = std::string(text);
    } else {
      settings.addedAt[definition.key] = settings.added.size();
      settings.added.emplace_back(text);
    }
  }
  return settings;
}

// New lines go before the line ENDDAT, or at the end of a file without one.
void AddLines(std::string_view bytes, const std::vector<Line>& lines,
              const std::vector<std::string>& added, Edits& edits) {
  if (added.empty()) return;
  const std::string lineBreak = FileBreak(bytes, lines);
  std::string text;
  for (const std::string& line : added) text += line + lineBreak;
  for (const Line& line : lines) {
    if (IsEndDat(TextOf(bytes, line))) {
      edits.Insert(line.begin, std::move(text));
      return;
    }
  }
  if (!lines.empty() && lines.back().next == lines.back().end) text = lineBreak + text;
  edits.Insert(bytes.size(), std::move(text));
}

}  // namespace

bool SetDeclarations(const std::string& target, const std::string& controlPath,
                     std::string_view controlText, Problems& problems) {
  const std::size_t before = problems.size();
  std::string bytes;
  if (!ReadText(target, bytes, problems)) return false;
  std::vector<Line> lines = SplitLines(bytes);
  DefinitionIndex index = IndexDefinitions(bytes, lines);
  Settings settings = ReadSettings(controlPath, controlText, index, problems);
  Edits edits;
  for (const DefinitionLine& entry : index.entries) {
    auto value = settings.values.find(entry.definition.key);
    if (value == settings.values.end()) continue;
    std::string_view old = TextOf(bytes, lines[entry.line]);
    std::string changed = WithValue(old, entry.definition, value->second);
    if (!SameFoldRole(old, changed)) {
      problems.push_back(target + ", line " + std::to_string(entry.line + 1) +
                         ": holds a fold marker that the new value would remove, not set");
      continue;
    }
    edits.Replace(lines, entry.line, entry.line, std::move(changed));
  }
  // Every line or none: a step that fails leaves its target as it was.
  if (problems.size() != before) {
    problems.push_back(target + ": left as it was, no definition set");
    return false;
  }
  AddLines(bytes, lines, settings.added, edits);
  std::string result = edits.Apply(bytes);
  if (result != bytes) WriteText(target, result, problems);
  return problems.size() == before;
}

}  // namespace foldex
