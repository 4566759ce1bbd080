// Finding a byte and copying bytes, for the exchange program's musl build
// (see bytes.cpp); runtime.cpp makes them the C library's memchr, memcpy and
// memmove.
#ifndef FOLDEX_MUSL_BYTES_H_
#define FOLDEX_MUSL_BYTES_H_

#include <cstddef>

namespace foldex::bytes {

// The first of the `size` bytes at `start` that equals `byte` (as an
// unsigned char), or null.
const void* Find(const void* start, int byte, std::size_t size);
// Copies `size` bytes; the two ranges must not overlap.
void Copy(void* to, const void* from, std::size_t size);
// Copies `size` bytes; the two ranges may overlap.
void Move(void* to, const void* from, std::size_t size);

}  // namespace foldex::bytes

#endif  // FOLDEX_MUSL_BYTES_H_
