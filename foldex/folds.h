#pragma once
// The fold structure of a robot program file. A line that contains ;FOLD
// (any case) opens a fold; a line that contains ;ENDFOLD and does not open
// one closes the fold opened last. A fold is the block from its open line
// to its close line, both included.

#include <string>
#include <string_view>
#include <vector>

#include "text.h"

namespace foldex {

bool IsFoldOpen(std::string_view line);
bool IsFoldClose(std::string_view line);
// Whether the two lines open, close or leave the folds alike: a line that
// a step rewrites must keep its part in the fold structure.
bool SameFoldRole(std::string_view a, std::string_view b);
// The text after ";FOLD" up to the next ";" or the end of the line,
// blanks trimmed, in the case written.
std::string FoldName(std::string_view openLine);

struct Fold {
  std::string name;
  std::string key;          // name upper-cased, for comparisons
  std::size_t open = 0;     // line index of the open line
  std::size_t close = 0;    // line index of the close line
  Line openLine;            // the open line's bytes and break
  std::size_t closeEnd = 0; // where the close line's text ends
  int parent = -1;          // index into the folds, -1 at the top
  bool holdsFold = false;   // another fold lies inside it
};

// Folds in the order their open lines stand, so every fold comes before
// the folds inside it. faults names each unbalanced marker with its line
// number; with faults the folds are not to be used.
struct FoldTree {
  std::vector<Fold> folds;
  std::vector<std::string> faults;
};
FoldTree ParseFolds(std::string_view bytes, const std::vector<Line>& lines);
// The same without a list of lines, for large files: only the lines that
// may hold a marker are looked at.
FoldTree ParseFolds(std::string_view bytes);

}  // namespace foldex
