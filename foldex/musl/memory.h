// The exchange program's allocator when it is linked against musl (see
// memory.cpp); runtime.cpp makes it the C library's malloc and free.
#ifndef FOLDEX_MUSL_MEMORY_H_
#define FOLDEX_MUSL_MEMORY_H_

#include <cstddef>

namespace foldex::memory {

// A block of at least `size` bytes at a multiple of `alignment`, a power of
// two; null with errno ENOMEM (or EINVAL for another alignment) when there
// is none.
void* Allocate(std::size_t size, std::size_t alignment = 16);
void Free(void* block);
// The block with at least `size` bytes, its contents kept up to the smaller
// of the two sizes: the same block where it fits, else a new one and the old
// one freed; null (the old block kept) when there is no memory.
void* Resize(void* block, std::size_t size);
std::size_t UsableSize(void* block);

}  // namespace foldex::memory

#endif  // FOLDEX_MUSL_MEMORY_H_
