#include "folds.h"

namespace foldex {

namespace {

enum class Marker { kNone, kOpen, kClose };

// One upper-casing per line: the markers may stand in any case.
Marker MarkerOf(std::string_view line) {
  std::string upper = Upper(line);
  if (upper.find(";FOLD") != std::string::npos) return Marker::kOpen;
  if (upper.find(";ENDFOLD") != std::string::npos) return Marker::kClose;
  return Marker::kNone;
}

}  // namespace

bool IsFoldOpen(std::string_view line) { return MarkerOf(line) == Marker::kOpen; }

bool IsFoldClose(std::string_view line) { return MarkerOf(line) == Marker::kClose; }

bool SameFoldRole(std::string_view a, std::string_view b) { return MarkerOf(a) == MarkerOf(b); }

std::string FoldName(std::string_view openLine) {
  std::size_t marker = Upper(openLine).find(";FOLD");
  if (marker == std::string::npos) return {};
  std::string_view rest = openLine.substr(marker + 5);
  return std::string(Trim(rest.substr(0, rest.find(';'))));
}

FoldTree ParseFolds(std::string_view bytes, const std::vector<Line>& lines) {
  FoldTree tree;
  std::vector<int> open;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string_view text = TextOf(bytes, lines[i]);
    Marker marker = MarkerOf(text);
    if (marker == Marker::kOpen) {
      Fold fold;
      fold.name = FoldName(text);
      fold.key = Upper(fold.name);
      fold.open = i;
      fold.parent = open.empty() ? -1 : open.back();
      if (!open.empty()) tree.folds[static_cast<std::size_t>(open.back())].holdsFold = true;
      open.push_back(static_cast<int>(tree.folds.size()));
      tree.folds.push_back(std::move(fold));
    } else if (marker == Marker::kClose) {
      if (open.empty()) {
        tree.faults.push_back("line " + std::to_string(i + 1) + ": ENDFOLD without an open fold");
        continue;
      }
      tree.folds[static_cast<std::size_t>(open.back())].close = i;
      open.pop_back();
    }
  }
  for (int index : open) {
    const Fold& fold = tree.folds[static_cast<std::size_t>(index)];
    tree.faults.push_back("line " + std::to_string(fold.open + 1) + ": fold " + fold.name +
                          " is not closed");
  }
  return tree;
}

}  // namespace foldex
