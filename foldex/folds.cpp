#include "folds.h"

#include "marker_lines.h"

namespace foldex {

namespace {

enum class Marker { kNone, kOpen, kClose };

// The markers may stand in any case; an open marker anywhere in the line
// wins over a close marker. One look for each ";", as most lines hold none.
Marker MarkerOf(std::string_view line) {
  Marker marker = Marker::kNone;
  for (std::size_t at = line.find(';'); at != std::string_view::npos; at = line.find(';', at + 1)) {
    if (MarkerAt(line, at, ";FOLD")) return Marker::kOpen;
    if (MarkerAt(line, at, ";ENDFOLD")) marker = Marker::kClose;
  }
  return marker;
}

}  // namespace

bool IsFoldOpen(std::string_view line) { return MarkerOf(line) == Marker::kOpen; }

bool IsFoldClose(std::string_view line) { return MarkerOf(line) == Marker::kClose; }

bool SameFoldRole(std::string_view a, std::string_view b) { return MarkerOf(a) == MarkerOf(b); }

std::string FoldName(std::string_view openLine) {
  std::size_t marker = FindMarker(openLine, ";FOLD");
  if (marker == std::string_view::npos) return {};
  std::string_view rest = openLine.substr(marker + 5);
  return std::string(Trim(rest.substr(0, rest.find(';'))));
}

namespace {

// Pairs the markers line by line as they come.
class FoldBuilder {
 public:
  explicit FoldBuilder(FoldTree& tree) : tree_(tree) {}

  void Take(std::string_view bytes, const Line& line, std::size_t index) {
    std::string_view text = TextOf(bytes, line);
    Marker marker = MarkerOf(text);
    if (marker == Marker::kOpen) {
      Fold fold;
      fold.name = FoldName(text);
      fold.key = Upper(fold.name);
      fold.open = index;
      fold.openLine = line;
      fold.parent = open_.empty() ? -1 : open_.back();
      if (!open_.empty()) tree_.folds[static_cast<std::size_t>(open_.back())].holdsFold = true;
      open_.push_back(static_cast<int>(tree_.folds.size()));
      tree_.folds.push_back(std::move(fold));
    } else if (marker == Marker::kClose) {
      if (open_.empty()) {
        tree_.faults.push_back("line " + std::to_string(index + 1) +
                               ": ENDFOLD without an open fold");
        return;
      }
      Fold& fold = tree_.folds[static_cast<std::size_t>(open_.back())];
      fold.close = index;
      fold.closeEnd = line.end;
      open_.pop_back();
    }
  }

  void Finish() {
    for (int index : open_) {
      const Fold& fold = tree_.folds[static_cast<std::size_t>(index)];
      tree_.faults.push_back("line " + std::to_string(fold.open + 1) + ": fold " + fold.name +
                             " is not closed");
    }
  }

 private:
  FoldTree& tree_;
  std::vector<int> open_;
};

}  // namespace

FoldTree ParseFolds(std::string_view bytes, const std::vector<Line>& lines) {
  FoldTree tree;
  FoldBuilder builder(tree);
  for (std::size_t i = 0; i < lines.size(); ++i) builder.Take(bytes, lines[i], i);
  builder.Finish();
  return tree;
}

FoldTree ParseFolds(std::string_view bytes) {
  FoldTree tree;
  FoldBuilder builder(tree);
  MarkerLines lines(bytes);
  Line line;
  for (std::size_t index = 0; lines.Next(line, index);) builder.Take(bytes, line, index);
  builder.Finish();
  return tree;
}

}  // namespace foldex
