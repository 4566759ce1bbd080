#include "marker_lines.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace foldex {

namespace {

constexpr std::size_t kNone = std::string_view::npos;

bool IsPair(char semicolon, char letter) {
  const char lower = static_cast<char>(letter | 0x20);
  return semicolon == ';' && (lower == 'f' || lower == 'e');
}

// A line starts at `at` when a break ends just before it: an LF, or a CR
// that no LF follows.
bool LineStartsAt(std::string_view bytes, std::size_t at) {
  const char before = bytes[at - 1];
  return before == '\n' || (before == '\r' && bytes[at] != '\n');
}

#ifdef __SSE2__
constexpr std::size_t kBlock = 16;

unsigned MaskOf(__m128i a, char c) {
  return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(a, _mm_set1_epi8(c))));
}

__m128i Load(const char* at) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at)); }

unsigned HighestBit(unsigned bits) { return 31u - static_cast<unsigned>(__builtin_clz(bits)); }
#endif

}  // namespace

bool MarkerLines::Next(Line& line, std::size_t& index) {
  if (start_ >= bytes_.size()) return false;
  std::size_t starts = 0;
  std::size_t begin = start_;
  const std::size_t pair = FindPair(starts, begin);
  if (pair == kNone) {
    start_ = bytes_.size();
    return false;
  }
  const std::size_t end = FindBreak(pair);
  std::size_t next = end;
  if (end < bytes_.size()) {
    next = end + 1;
    if (bytes_[end] == '\r' && next < bytes_.size() && bytes_[next] == '\n') ++next;
  }
  line = {begin, end, next};
  index = index_ + starts;
  index_ = index + 1;
  start_ = next;
  return true;
}

std::size_t MarkerLines::FindPair(std::size_t& starts, std::size_t& lineBegin) const {
  std::size_t at = start_;
#ifdef __SSE2__
  if (walk_ == Walk::kBlocks) {
    const char* data = bytes_.data();
    // Whether the byte before the block is a CR or an LF; start_ itself is
    // a line start already counted.
    unsigned crBefore = 0;
    unsigned lfBefore = 0;
    // The letter after a semicolon is looked at too: one byte past the block.
    for (; at + kBlock < bytes_.size(); at += kBlock) {
      const __m128i block = Load(data + at);
      const __m128i lower = _mm_or_si128(Load(data + at + 1), _mm_set1_epi8(0x20));
      const unsigned cr = MaskOf(block, '\r');
      const unsigned lf = MaskOf(block, '\n');
      const unsigned pairs = MaskOf(block, ';') & (MaskOf(lower, 'f') | MaskOf(lower, 'e'));
      const unsigned afterCr = ((cr << 1) | crBefore) & 0xFFFFu;
      const unsigned afterLf = ((lf << 1) | lfBefore) & 0xFFFFu;
      unsigned lineStarts = afterLf | (afterCr & ~lf);
      if (pairs != 0) {
        const auto first = static_cast<unsigned>(__builtin_ctz(pairs));
        lineStarts &= (2u << first) - 1;
      }
      if (lineStarts != 0) {
        starts += static_cast<std::size_t>(__builtin_popcount(lineStarts));
        lineBegin = at + HighestBit(lineStarts);
      }
      if (pairs != 0) return at + static_cast<std::size_t>(__builtin_ctz(pairs));
      crBefore = cr >> 15;
      lfBefore = lf >> 15;
    }
  }
#endif
  return FindPairByBytes(at, starts, lineBegin);
}

std::size_t MarkerLines::FindPairByBytes(std::size_t from, std::size_t& starts,
                                         std::size_t& lineBegin) const {
  for (std::size_t at = from; at < bytes_.size(); ++at) {
    if (at > start_ && LineStartsAt(bytes_, at)) {
      ++starts;
      lineBegin = at;
    }
    if (at + 1 < bytes_.size() && IsPair(bytes_[at], bytes_[at + 1])) return at;
  }
  return kNone;
}

std::size_t MarkerLines::FindBreak(std::size_t from) const {
  std::size_t at = from;
#ifdef __SSE2__
  if (walk_ == Walk::kBlocks) {
    for (; at + kBlock <= bytes_.size(); at += kBlock) {
      const __m128i block = Load(bytes_.data() + at);
      const unsigned breaks = MaskOf(block, '\r') | MaskOf(block, '\n');
      if (breaks != 0) return at + static_cast<std::size_t>(__builtin_ctz(breaks));
    }
  }
#endif
  for (; at < bytes_.size(); ++at) {
    if (bytes_[at] == '\r' || bytes_[at] == '\n') return at;
  }
  return bytes_.size();
}

}  // namespace foldex
