#pragma once
// Changes to a file, gathered first and applied in one pass, so that every
// byte outside a changed block is copied as it was.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "text.h"

namespace foldex {

class Edits {
 public:
  // Puts text in place of lines first to last: their texts and the breaks
  // between them. The break of the last line stays. Replaced blocks must
  // not overlap.
  void Replace(const std::vector<Line>& lines, std::size_t first, std::size_t last,
               std::string text);
  // Puts text in place of the bytes [begin, end).
  void ReplaceBytes(std::size_t begin, std::size_t end, std::string text);
  // Puts text (with its own breaks) before the byte at offset.
  void Insert(std::size_t offset, std::string text);

  bool empty() const { return changes_.empty(); }
  // Whether applying the changes gives other bytes than bytes.
  bool Changes(std::string_view bytes) const;
  std::string Apply(std::string_view bytes) const;
  // Hands the changed text to out piece by piece, in order, without
  // building it: a large file is not held twice.
  void Emit(std::string_view bytes, const std::function<void(std::string_view)>& out) const;

 private:
  struct Change {
    std::size_t begin = 0;
    std::size_t end = 0;
    std::string text;
  };
  std::vector<const Change*> InOrder() const;

  std::vector<Change> changes_;
};

}  // namespace foldex
