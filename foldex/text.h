#pragma once
// Byte-exact text handling for the exchange program. Files are 8-bit text:
// nothing is transcoded, case changes touch ASCII letters only, and every
// byte of a file can be found again from its lines.

#include <string>
#include <string_view>
#include <vector>

#include "util/strings.h"

namespace foldex {

// One line of a file: its text is bytes [begin, end), its line break
// [end, next). The break is CR LF, CR or LF; the last line may have none.
struct Line {
  std::size_t begin = 0;
  std::size_t end = 0;
  std::size_t next = 0;
};

// Walks the lines of a text one at a time, without holding them: a large
// file costs no memory per line. Breaks are found with memchr, each byte
// looked at once.
class LineWalker {
 public:
  explicit LineWalker(std::string_view bytes) : bytes_(bytes) {}
  // The next line; false past the last one.
  bool Next(Line& line);

 private:
  std::size_t NextOf(char c, std::size_t& cached) const;

  std::string_view bytes_;
  std::size_t start_ = 0;
  // Where the next CR and LF at or after start_ lie; npos when there is
  // none, kUnknown before the first search.
  static constexpr std::size_t kUnknown = std::string_view::npos - 1;
  std::size_t nextCr_ = kUnknown;
  std::size_t nextLf_ = kUnknown;
};

// The lines of a text. A line ends at CR (an LF right after it belongs to
// the break) or at a lone LF, so files with LF-only breaks split as well.
std::vector<Line> SplitLines(std::string_view bytes);

inline std::string_view TextOf(std::string_view bytes, const Line& line) {
  return bytes.substr(line.begin, line.end - line.begin);
}
inline std::string_view BreakOf(std::string_view bytes, const Line& line) {
  return bytes.substr(line.end, line.next - line.end);
}

// The break that the file uses: that of its first line with one, and CR LF
// for a file of at most one unbroken line.
std::string FileBreak(std::string_view bytes, const std::vector<Line>& lines);

// Where text first holds needle, ASCII letters compared without regard to
// case, or npos; needle is upper case. Nothing is copied.
std::size_t FindMarker(std::string_view text, std::string_view needle);
// Whether needle stands in text at `at`, as FindMarker finds it.
bool MarkerAt(std::string_view text, std::size_t at, std::string_view needle);

using util::Like;
using util::Upper;
// Removes blanks and tabs at both ends.
std::string_view Trim(std::string_view text);
bool HasWildcard(std::string_view pattern);
// Whether key is like one of the patterns.
bool MatchesAny(std::string_view key, const std::vector<std::string>& patterns);

}  // namespace foldex
