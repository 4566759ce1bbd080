#pragma once
// The lines of a text that may hold a fold marker, found without walking
// every line. Both markers begin with ";" and a letter F or E, in any case,
// so a line without such a pair holds neither: the walk looks for the pair
// and counts the line breaks it passes, sixteen bytes at a time where the
// processor can. A large program is mostly lines of no interest here.

#include <cstddef>
#include <string_view>

#include "text.h"

namespace foldex {

class MarkerLines {
 public:
  // kBytes looks at one byte at a time: what a processor without sixteen-
  // byte compares does, and what the block walk must agree with.
  enum class Walk { kBlocks, kBytes };

  explicit MarkerLines(std::string_view bytes, Walk walk = Walk::kBlocks)
      : bytes_(bytes), walk_(walk) {}

  // The next line that holds ";F" or ";E" in any case, and its index from
  // 0; false past the last. Lines are split as LineWalker splits them.
  bool Next(Line& line, std::size_t& index);

 private:
  // Where the next pair stands, npos when none is left; lineBegin is where
  // its line begins and starts how many line starts lie after start_ up to it.
  std::size_t FindPair(std::size_t& starts, std::size_t& lineBegin) const;
  std::size_t FindPairByBytes(std::size_t from, std::size_t& starts, std::size_t& lineBegin) const;
  std::size_t FindBreak(std::size_t from) const;

  std::string_view bytes_;
  Walk walk_;
  std::size_t start_ = 0;  // a line start: where the search goes on
  std::size_t index_ = 0;  // the index of the line at start_
};

}  // namespace foldex
