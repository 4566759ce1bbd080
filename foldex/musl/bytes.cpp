// The two byte functions the exchange step spends its time in: it walks a
// program's lines with memchr, most of them a few dozen bytes long, and
// copies the pieces of the new text. musl's versions go a byte or a word at
// a time; these take sixteen bytes at a time (SSE2, on every x86-64).
//
// Find reads whole aligned sixteen-byte blocks, also the first and last one
// where they reach outside the range: an aligned block never crosses a page,
// so it reads nothing that could fault, and what lies outside is masked off.
//
// This file is built with -fno-tree-loop-distribute-patterns: the compiler
// must not turn a copy loop of Copy into a call of memcpy, which is Copy.
#include "musl/bytes.h"

#include <emmintrin.h>

#include <cstdint>

namespace foldex::bytes {
namespace {

constexpr std::size_t kBlock = 16;
constexpr std::size_t kLongCopy = 512;

// Reads a whole aligned block, also the bytes of it outside the range: the
// address sanitizer, which knows nothing of pages, must not check it.
__attribute__((no_sanitize_address)) unsigned Matches(const unsigned char* block, __m128i needle) {
  const __m128i bytes = _mm_load_si128(reinterpret_cast<const __m128i*>(block));
  return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, needle)));
}

void CopyBlock(unsigned char* to, const unsigned char* from) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(to),
                   _mm_loadu_si128(reinterpret_cast<const __m128i*>(from)));
}

// Up to sixteen bytes, with two loads that may overlap.
void CopyShort(unsigned char* to, const unsigned char* from, std::size_t size) {
  if (size >= 8) {
    const __m128i head = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(from));
    const __m128i tail = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(from + size - 8));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(to), head);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(to + size - 8), tail);
  } else if (size >= 4) {
    const __m128i head = _mm_loadu_si32(from);
    const __m128i tail = _mm_loadu_si32(from + size - 4);
    _mm_storeu_si32(to, head);
    _mm_storeu_si32(to + size - 4, tail);
  } else {
    for (std::size_t i = 0; i < size; ++i) to[i] = from[i];
  }
}

}  // namespace

__attribute__((no_sanitize_address)) const void* Find(const void* start, int byte,
                                                      std::size_t size) {
  if (size == 0) return nullptr;
  const auto* first = static_cast<const unsigned char*>(start);
  const __m128i needle = _mm_set1_epi8(static_cast<char>(byte));
  const std::size_t offset = reinterpret_cast<std::uintptr_t>(first) % kBlock;
  const unsigned char* block = first - offset;
  // Bit 0 of `found` stands for `base`; the bytes before the range are
  // shifted out.
  unsigned found = Matches(block, needle) >> offset;
  const unsigned char* base = first;
  std::size_t left = size;                 // bytes of the range from base on
  std::size_t in_block = kBlock - offset;  // of them in this block
  for (;;) {
    if (found != 0) {
      const auto at = static_cast<std::size_t>(__builtin_ctz(found));
      return at < left ? base + at : nullptr;
    }
    if (left <= in_block) return nullptr;
    left -= in_block;
    block += kBlock;
    base = block;
    in_block = kBlock;
    found = Matches(block, needle);
  }
}

// Every byte is read before it could be overwritten when `to` lies before
// `from`, also where the two overlap, so that Move can use it then.
void Copy(void* to, const void* from, std::size_t size) {
  auto* out = static_cast<unsigned char*>(to);
  const auto* in = static_cast<const unsigned char*>(from);
  if (size <= kBlock) {
    CopyShort(out, in, size);
    return;
  }
  if (size >= kLongCopy) {
    // The processor's own string copy is the fastest for long runs.
    asm volatile("rep movsb" : "+D"(out), "+S"(in), "+c"(size) : : "memory");
    return;
  }
  // Sixteen at a time; the last block, taken first, overlaps what the loop
  // copies.
  const __m128i tail = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + size - kBlock));
  unsigned char* tail_out = out + size - kBlock;
  for (const unsigned char* end = in + size - kBlock; in < end; in += kBlock, out += kBlock) {
    CopyBlock(out, in);
  }
  _mm_storeu_si128(reinterpret_cast<__m128i*>(tail_out), tail);
}

void Move(void* to, const void* from, std::size_t size) {
  auto* out = static_cast<unsigned char*>(to);
  const auto* in = static_cast<const unsigned char*>(from);
  if (reinterpret_cast<std::uintptr_t>(out) - reinterpret_cast<std::uintptr_t>(in) >= size) {
    Copy(out, in, size);  // `to` before `from`, or the two apart
    return;
  }
  // `to` inside the range: from the end backwards.
  if (size < 4) {
    for (std::size_t i = size; i-- > 0;) out[i] = in[i];
    return;
  }
  if (size <= kBlock) {
    CopyShort(out, in, size);
    return;
  }
  const __m128i head = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
  for (std::size_t left = size; left > kBlock;) {
    left -= kBlock;
    CopyBlock(out + left, in + left);
  }
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), head);
}

}  // namespace foldex::bytes
