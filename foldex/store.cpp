#include "store.h"

#include "platform/platform.h"

namespace foldex {

std::string StorePath(const std::string& controlPath, const std::string& storeName) {
  std::size_t slash = controlPath.find_last_of("\\/");
  if (slash == std::string::npos) return storeName;
  return controlPath.substr(0, slash + 1) + storeName;
}

std::string StoreText(std::string_view source, const std::vector<Line>& lines,
                      const std::vector<const Fold*>& saved) {
  // The comment line must not look like a fold marker.
  std::string text = "; Foldex store: " + std::to_string(saved.size()) + " saved\r\n";
  for (const Fold* fold : saved) {
    for (std::size_t i = fold->open; i <= fold->close; ++i) {
      text.append(TextOf(source, lines[i]));
      text += "\r\n";
    }
  }
  return text;
}

bool ReadStore(const std::string& path, std::vector<StoredFold>& folds, Problems& problems) {
  std::string text;
  if (platform::Status status = platform::ReadFileBytes(path, text); !status) {
    problems.push_back(path + ": no saved folds (" + status.reason +
                       "); the save step did not run or failed");
    return false;
  }
  std::vector<Line> lines = SplitLines(text);
  FoldTree tree = ParseFolds(text, lines);
  if (!tree.faults.empty()) {
    problems.push_back(path + ": the store is damaged, " + tree.faults.front());
    return false;
  }
  for (const Fold& fold : tree.folds) {
    if (fold.parent != -1) continue;
    StoredFold stored{fold.name, fold.key, {}};
    for (std::size_t i = fold.open; i <= fold.close; ++i)
      stored.lines.emplace_back(TextOf(text, lines[i]));
    folds.push_back(std::move(stored));
  }
  return true;
}

}  // namespace foldex
