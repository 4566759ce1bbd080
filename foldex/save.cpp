#include <unordered_set>

#include "files.h"
#include "foldex.h"
#include "folds.h"
#include "platform/platform.h"
#include "store.h"

namespace foldex {

namespace {

// A fold without a name cannot be told from the others of its kind, so it
// is never taken for one of them.
bool IsSelected(const Fold& fold, const FoldControl& control) {
  return !fold.key.empty() && MatchesAny(fold.key, control.include) &&
         !MatchesAny(fold.key, control.except) && !(control.leafOnly && fold.holdsFold);
}

// A selected fold goes whole, so the folds inside it are not looked at.
std::vector<const Fold*> SelectFolds(const FoldTree& tree, const FoldControl& control) {
  std::vector<const Fold*> saved;
  for (const Fold& fold : tree.folds) {
    if (!saved.empty() && fold.open < saved.back()->close) continue;
    if (IsSelected(fold, control)) saved.push_back(&fold);
  }
  return saved;
}

// A name without wildcards means one fold: its absence is a problem. A
// pattern may rightly match nothing.
bool CheckNamedFolds(const std::string& file, const FoldTree& tree, const FoldControl& control,
                     Problems& problems) {
  std::unordered_set<std::string> keys;
  for (const Fold& fold : tree.folds) keys.insert(fold.key);
  bool ok = true;
  for (const std::string& pattern : control.include) {
    if (HasWildcard(pattern) || keys.count(pattern)) continue;
    problems.push_back(file + ": no fold named " + pattern);
    ok = false;
  }
  return ok;
}

// An old store must not reach the exchange step when this save failed.
void DiscardStore(const std::string& store, Problems& problems) {
  if (!platform::Exists(store)) return;
  if (platform::Status status = platform::RemoveFile(store); !status)
    problems.push_back(store + ": cannot delete the old store: " + status.reason);
}

// The run saves a template's folds before each of its user files, into the
// same store: a store that holds these bytes already is left as it is,
// which spares a temporary file and a rename at every save but the first.
bool WriteStore(const std::string& store, const std::string& text, Problems& problems) {
  std::string held;
  if (platform::ReadFileBytes(store, held) && held == text) return true;
  return WriteText(store, text, problems);
}

}  // namespace

bool SaveFolds(const std::string& file, const std::string& controlPath, const FoldControl& control,
               Problems& problems) {
  const std::size_t before = problems.size();
  const std::string store = StorePath(controlPath, control.store);
  std::string bytes;
  if (!ReadText(file, bytes, problems)) {
    DiscardStore(store, problems);
    return false;
  }
  std::vector<Line> lines = SplitLines(bytes);
  FoldTree tree = ParseFolds(bytes, lines);
  if (!tree.faults.empty()) {
    for (const std::string& fault : tree.faults) problems.push_back(file + ", " + fault);
    problems.push_back(file + ": folds not saved, the fold markers do not pair up");
    DiscardStore(store, problems);
    return false;
  }
  // A store is complete or there is none: its exchange step then fails
  // instead of taking part of a save, or an older one.
  if (!CheckNamedFolds(file, tree, control, problems) ||
      !WriteStore(store, StoreText(bytes, lines, SelectFolds(tree, control)), problems)) {
    problems.push_back(file + ": folds not saved");
    DiscardStore(store, problems);
    return false;
  }
  return problems.size() == before;
}

}  // namespace foldex
