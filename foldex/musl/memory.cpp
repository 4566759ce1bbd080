// The exchange program's memory when it is linked against musl.
//
// A step lives for a fraction of a millisecond and frees most of what it
// takes just before it ends. musl's own allocator hands memory back to the
// system eagerly, so such a step maps and unmaps pages over and over; that
// was a fifth of a whole run's processor time. This one keeps freed blocks
// for reuse instead and returns nothing small before the exit:
//
// - a small block (up to kLargestSmall bytes) is rounded up to a power of
//   two and carved from chunks of kChunkSize; a freed one goes on the list
//   of its size, for the next request of that size;
// - a large block is a mapping of its own, unmapped when it is freed and
//   grown in place or moved by the kernel (mremap) when it is resized, so
//   that a large target costs its size and not twice it.
//
// Every block is preceded by a header with its usable size and, for a
// large one, the distance back to the start of its mapping.
#include "musl/memory.h"

#include <sys/mman.h>

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace {

constexpr std::size_t kHeaderSize = 16;
constexpr int kSmallClasses = 12;  // 16 bytes to 32 KiB
constexpr std::size_t kSmallest = 16;
constexpr std::size_t kLargestSmall = kSmallest << (kSmallClasses - 1);
constexpr std::size_t kChunkSize = std::size_t{256} * 1024;
constexpr std::size_t kPageSize = 4096;

struct Header {
  std::size_t size;           // usable bytes after the header
  std::size_t mapping_start;  // large blocks: bytes from the mapping's start to the block
};
static_assert(sizeof(Header) == kHeaderSize);

struct FreeBlock {
  FreeBlock* next;
};

FreeBlock* free_lists[kSmallClasses];
char* chunk_next = nullptr;
char* chunk_end = nullptr;
// The program starts no threads; the lock costs nothing uncontended and
// keeps the allocator right should that change.
std::atomic_flag lock = ATOMIC_FLAG_INIT;

struct Locked {
  Locked() {
    while (lock.test_and_set(std::memory_order_acquire)) {
    }
  }
  ~Locked() { lock.clear(std::memory_order_release); }
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;
};

Header* HeaderOf(void* block) {
  return reinterpret_cast<Header*>(static_cast<char*>(block) - kHeaderSize);
}

int SmallClass(std::size_t size) {
  int index = 0;
  while ((kSmallest << index) < size) ++index;
  return index;
}

void* MapPages(std::size_t size) {
  void* pages = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  return pages == MAP_FAILED ? nullptr : pages;
}

bool RoundUp(std::size_t size, std::size_t unit, std::size_t& rounded) {
  if (size > SIZE_MAX - unit) return false;
  rounded = (size + unit - 1) & ~(unit - 1);
  return true;
}

void* TakeSmall(std::size_t size) {
  const int index = SmallClass(size);
  if (FreeBlock* block = free_lists[index]) {
    free_lists[index] = block->next;
    return block;
  }
  const std::size_t usable = kSmallest << index;
  const std::size_t needed = kHeaderSize + usable;
  if (static_cast<std::size_t>(chunk_end - chunk_next) < needed) {
    // What is left of the old chunk is given up: at most one block's worth.
    auto* chunk = static_cast<char*>(MapPages(kChunkSize));
    if (chunk == nullptr) return nullptr;
    chunk_next = chunk;
    chunk_end = chunk + kChunkSize;
  }
  auto* header = reinterpret_cast<Header*>(chunk_next);
  chunk_next += needed;
  header->size = usable;
  header->mapping_start = 0;
  return reinterpret_cast<char*>(header) + kHeaderSize;
}

// A mapping of its own, the block at `alignment` (a power of two of at
// least kHeaderSize) past a header.
void* TakeLarge(std::size_t size, std::size_t alignment) {
  const std::size_t lead = alignment <= kPageSize ? alignment : alignment + kPageSize;
  std::size_t length = 0;
  if (size > SIZE_MAX - lead || !RoundUp(size + lead, kPageSize, length)) return nullptr;
  auto* start = static_cast<char*>(MapPages(length));
  if (start == nullptr) return nullptr;
  const auto address = reinterpret_cast<std::uintptr_t>(start);
  const std::uintptr_t first = (address + kHeaderSize + alignment - 1) & ~(alignment - 1);
  char* block = start + (first - address);
  Header* header = HeaderOf(block);
  header->mapping_start = static_cast<std::size_t>(block - start);
  header->size = length - header->mapping_start;
  return block;
}

bool IsLarge(const Header* header) { return header->mapping_start != 0; }

void Release(void* block) {
  Header* header = HeaderOf(block);
  if (IsLarge(header)) {
    char* start = static_cast<char*>(block) - header->mapping_start;
    munmap(start, header->mapping_start + header->size);
    return;
  }
  const int index = SmallClass(header->size);
  auto* freed = static_cast<FreeBlock*>(block);
  freed->next = free_lists[index];
  free_lists[index] = freed;
}

void* Take(std::size_t size, std::size_t alignment) {
  if (size == 0) size = 1;
  void* block = alignment <= kHeaderSize && size <= kLargestSmall
                    ? TakeSmall(size)
                    : TakeLarge(size, alignment < kHeaderSize ? kHeaderSize : alignment);
  if (block == nullptr) errno = ENOMEM;
  return block;
}

// A large block grown or shrunk by the kernel, moved if it must be.
void* ResizeLarge(void* block, std::size_t size) {
  // The header moves with the mapping: what it says is read before.
  const Header old = *HeaderOf(block);
  char* start = static_cast<char*>(block) - old.mapping_start;
  std::size_t length = 0;
  if (size > SIZE_MAX - old.mapping_start ||
      !RoundUp(size + old.mapping_start, kPageSize, length)) {
    return nullptr;
  }
  void* moved = mremap(start, old.mapping_start + old.size, length, MREMAP_MAYMOVE);
  if (moved == MAP_FAILED) return nullptr;
  auto* resized = static_cast<char*>(moved) + old.mapping_start;
  HeaderOf(resized)->size = length - old.mapping_start;
  return resized;
}

bool IsPowerOfTwo(std::size_t value) { return value != 0 && (value & (value - 1)) == 0; }

}  // namespace

namespace foldex::memory {

void* Allocate(std::size_t size, std::size_t alignment) {
  if (!IsPowerOfTwo(alignment)) {
    errno = EINVAL;
    return nullptr;
  }
  Locked locked;
  return Take(size, alignment);
}

void Free(void* block) {
  if (block == nullptr) return;
  Locked locked;
  Release(block);
}

void* Resize(void* block, std::size_t size) {
  if (block == nullptr) return Allocate(size, kHeaderSize);
  Locked locked;
  Header* header = HeaderOf(block);
  if (size <= header->size && (IsLarge(header) || size > header->size / 2)) return block;
  if (IsLarge(header) && size > kLargestSmall && header->mapping_start == kHeaderSize) {
    void* resized = ResizeLarge(block, size);
    if (resized == nullptr) errno = ENOMEM;
    return resized;
  }
  void* moved = Take(size, kHeaderSize);
  if (moved == nullptr) return nullptr;
  std::memcpy(moved, block, size < header->size ? size : header->size);
  Release(block);
  return moved;
}

std::size_t UsableSize(void* block) { return block == nullptr ? 0 : HeaderOf(block)->size; }

}  // namespace foldex::memory
