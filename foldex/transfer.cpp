#include <unordered_set>

#include "definitions.h"
#include "edits.h"
#include "files.h"
#include "foldex.h"
#include "folds.h"

namespace foldex {

namespace {

// A name without wildcards means one variable: its absence is a problem. A
// pattern may rightly match nothing.
void CheckNamedVariables(const std::string& source, const DefinitionIndex& index,
                         const VariableControl& control, Problems& problems) {
  for (const std::string& name : control.names)
    if (!HasWildcard(name) && !index.byKey.count(name))
      problems.push_back(source + ": no definition of " + name);
}

// Every definition of the variable in the target takes the value; each
// keeps its own declaration words. A value is the rest of its line, remark
// included, so it could bring or take away a fold marker: such a line is
// left as it was.
void ReplaceValues(const std::string& target, std::string_view to, const std::vector<Line>& lines,
                   const DefinitionIndex& index, const std::vector<std::size_t>& twins,
                   std::string_view value, Edits& edits, Problems& problems) {
  for (std::size_t twin : twins) {
    const DefinitionLine& entry = index.entries[twin];
    std::string_view old = TextOf(to, lines[entry.line]);
    std::string changed = WithValue(old, entry.definition, value);
    if (!SameFoldRole(old, changed)) {
      problems.push_back(target + ", line " + std::to_string(entry.line + 1) + ": " +
                         entry.definition.key + " not set, the new value would change the folds");
      continue;
    }
    edits.Replace(lines, entry.line, entry.line, std::move(changed));
  }
}

}  // namespace

bool TransferVariables(const std::string& target, const std::string& source,
                       const VariableControl& control, Problems& problems) {
  const std::size_t before = problems.size();
  std::string from, to;
  if (!ReadText(source, from, problems) || !ReadText(target, to, problems)) return false;
  std::vector<Line> fromLines = SplitLines(from), toLines = SplitLines(to);
  DefinitionIndex fromIndex = IndexDefinitions(from, fromLines);
  DefinitionIndex toIndex = IndexDefinitions(to, toLines);
  CheckNamedVariables(source, fromIndex, control, problems);
  Edits edits;
  std::unordered_set<std::string> done;  // the first definition in the source counts
  for (const DefinitionLine& entry : fromIndex.entries) {
    const std::string& key = entry.definition.key;
    if (!MatchesAny(key, control.names) || !done.insert(key).second) continue;
    auto twins = toIndex.byKey.find(key);
    // The target has no place for this value: it holds what it can.
    if (twins == toIndex.byKey.end()) continue;
    std::string_view value = TextOf(from, fromLines[entry.line]).substr(entry.definition.valueStart);
    ReplaceValues(target, to, toLines, toIndex, twins->second, value, edits, problems);
  }
  // Every value or none: a step that fails leaves its target as it was.
  if (problems.size() != before) {
    problems.push_back(target + ": left as it was, no value taken");
    return false;
  }
  std::string result = edits.Apply(to);
  if (result != to) WriteText(target, result, problems);
  return problems.size() == before;
}

}  // namespace foldex
