#include "util/sha256_x86.h"

#include "util/sha256_rounds.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <immintrin.h>
#endif

namespace util::sha256_x86 {

#if defined(__x86_64__) || defined(__i386__)

namespace {

bool Ask() {
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return false;
  const bool ssse3 = (ecx & bit_SSSE3) != 0;
  const bool sse41 = (ecx & bit_SSE4_1) != 0;
  if (!__get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx)) return false;
  return ssse3 && sse41 && (ebx & bit_SHA) != 0;
}

}  // namespace

bool Present() {
  static const bool present = Ask();
  return present;
}

// The instructions keep the eight words as two halves, ABEF and CDGH, and
// take the message four words at a time; each group of four words after
// the first four comes from the four groups before it.
__attribute__((target("sha,ssse3,sse4.1"))) void Blocks(uint32_t state[8],
                                                        const unsigned char* data,
                                                        std::size_t count) {
  const __m128i bigEndian = _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);
  __m128i dcba = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&state[0]));
  __m128i hgfe = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&state[4]));
  const __m128i cdab = _mm_shuffle_epi32(dcba, 0xB1);
  hgfe = _mm_shuffle_epi32(hgfe, 0x1B);
  __m128i abef = _mm_alignr_epi8(cdab, hgfe, 8);
  __m128i cdgh = _mm_blend_epi16(hgfe, cdab, 0xF0);
  for (; count > 0; --count, data += 64) {
    const __m128i abefBefore = abef;
    const __m128i cdghBefore = cdgh;
    __m128i words[4];
    for (std::size_t i = 0; i < 4; ++i) {
      words[i] = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16 * i)),
                                  bigEndian);
    }
    for (std::size_t group = 0; group < 16; ++group) {
      __m128i& current = words[group % 4];
      if (group >= 4) {
        const __m128i& last = words[(group + 3) % 4];
        const __m128i& beforeLast = words[(group + 2) % 4];
        current = _mm_sha256msg1_epu32(current, words[(group + 1) % 4]);
        current = _mm_add_epi32(current, _mm_alignr_epi8(last, beforeLast, 4));
        current = _mm_sha256msg2_epu32(current, last);
      }
      __m128i message = _mm_add_epi32(
          current, _mm_load_si128(reinterpret_cast<const __m128i*>(&kSha256Rounds[4 * group])));
      cdgh = _mm_sha256rnds2_epu32(cdgh, abef, message);
      message = _mm_shuffle_epi32(message, 0x0E);
      abef = _mm_sha256rnds2_epu32(abef, cdgh, message);
    }
    abef = _mm_add_epi32(abef, abefBefore);
    cdgh = _mm_add_epi32(cdgh, cdghBefore);
  }
  const __m128i feba = _mm_shuffle_epi32(abef, 0x1B);
  const __m128i dchg = _mm_shuffle_epi32(cdgh, 0xB1);
  dcba = _mm_blend_epi16(feba, dchg, 0xF0);
  hgfe = _mm_alignr_epi8(dchg, feba, 8);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(&state[0]), dcba);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(&state[4]), hgfe);
}

#else

bool Present() { return false; }

void Blocks(uint32_t*, const unsigned char*, std::size_t) {}

#endif

}  // namespace util::sha256_x86
