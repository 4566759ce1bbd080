#include <unordered_map>

#include "edits.h"
#include "files.h"
#include "foldex.h"
#include "folds.h"
#include "store.h"

namespace foldex {

namespace {

using StoredByName = std::unordered_map<std::string, std::vector<const StoredFold*>>;

std::string JoinLines(const std::vector<std::string>& lines, std::string_view lineBreak) {
  std::string text;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text.append(lineBreak);
    text += lines[i];
  }
  return text;
}

// One saved fold of a name serves every fold of that name; several pair
// with the target's folds of that name in order.
const StoredFold* TwinFor(const std::vector<const StoredFold*>& stored, std::size_t occurrence) {
  if (stored.size() == 1) return stored.front();
  return occurrence < stored.size() ? stored[occurrence] : nullptr;
}

}  // namespace

bool ExchangeFolds(const std::string& file, const std::string& controlPath,
                   const FoldControl& control, Problems& problems) {
  const std::size_t before = problems.size();
  std::vector<StoredFold> stored;
  if (!ReadStore(StorePath(controlPath, control.store), stored, problems)) return false;
  platform::FileBytes target;
  if (!ReadText(file, target, problems)) return false;
  const std::string_view bytes = target.bytes();
  // No list of lines: a large target is held once, with its folds.
  FoldTree tree = ParseFolds(bytes);
  if (!tree.faults.empty()) {
    for (const std::string& fault : tree.faults) problems.push_back(file + ", " + fault);
    problems.push_back(file + ": left as it was, the fold markers do not pair up");
    return false;
  }
  StoredByName byName;
  for (const StoredFold& fold : stored) byName[fold.key].push_back(&fold);
  std::unordered_map<std::string, std::size_t> used;
  Edits edits;
  std::size_t replacedClose = 0;
  bool replacedAny = false;
  for (const Fold& fold : tree.folds) {
    if (replacedAny && fold.open < replacedClose) continue;
    auto found = byName.find(fold.key);
    if (found == byName.end()) continue;
    const StoredFold* twin = TwinFor(found->second, used[fold.key]++);
    if (!twin) continue;
    // The block takes the target's line break; the break after its close
    // line stays as it was.
    edits.ReplaceBytes(fold.openLine.begin, fold.closeEnd,
                       JoinLines(twin->lines, BreakOf(bytes, fold.openLine)));
    replacedClose = fold.close;
    replacedAny = true;
  }
  // A saved fold without a twin has no place in this target: the target
  // holds what it can and the step is done.
  if (edits.Changes(bytes)) WriteEdited(file, bytes, edits, problems);
  return problems.size() == before;
}

}  // namespace foldex
