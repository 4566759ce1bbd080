// What GCC's C++ runtime, built against glibc, asks of the C library beyond
// what musl has, for a static program, and the program's own allocator in
// place of musl's. The link fails on anything else the runtime would ask
// for, so nothing is left to chance at run time.
#include <link.h>
#include <sys/random.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "musl/bytes.h"
#include "musl/memory.h"

extern "C" {

// Read by the runtime to skip atomic reference counts when no thread was
// ever started. Zero is always right: the counts stay atomic.
char __libc_single_threaded = 0;

// glibc's lookup of the object holding a code address, which the unwinder
// uses to find the frame tables when an exception is thrown. A static
// program is one object: its loaded segments and its frame table header.
struct dl_find_object {
  unsigned long long dlfo_flags;
  void* dlfo_map_start;
  void* dlfo_map_end;
  void* dlfo_link_map;
  void* dlfo_eh_frame;
  unsigned long long reserved[7];
};

namespace {

struct Lookup {
  std::uintptr_t address;
  dl_find_object* found;
  bool has_frames;
};

int FindObject(dl_phdr_info* info, size_t, void* data) {
  auto* lookup = static_cast<Lookup*>(data);
  std::uintptr_t low = UINTPTR_MAX;
  std::uintptr_t high = 0;
  void* frames = nullptr;
  for (int i = 0; i < info->dlpi_phnum; ++i) {
    const ElfW(Phdr)& segment = info->dlpi_phdr[i];
    std::uintptr_t start = info->dlpi_addr + segment.p_vaddr;
    if (segment.p_type == PT_LOAD) {
      if (start < low) low = start;
      if (start + segment.p_memsz > high) high = start + segment.p_memsz;
    } else if (segment.p_type == PT_GNU_EH_FRAME) {
      frames = reinterpret_cast<void*>(start);
    }
  }
  if (lookup->address < low || lookup->address >= high) return 0;
  std::memset(lookup->found, 0, sizeof *lookup->found);
  lookup->found->dlfo_map_start = reinterpret_cast<void*>(low);
  lookup->found->dlfo_map_end = reinterpret_cast<void*>(high);
  lookup->found->dlfo_eh_frame = frames;
  lookup->has_frames = frames != nullptr;
  return 1;
}

}  // namespace

int _dl_find_object(void* address, dl_find_object* found) {
  Lookup lookup{reinterpret_cast<std::uintptr_t>(address), found, false};
  dl_iterate_phdr(FindObject, &lookup);
  return lookup.has_frames ? 0 : -1;
}

// std::random_device's source; the program draws no random numbers, but the
// runtime's string code links the device in.
std::uint32_t arc4random() {
  std::uint32_t value = 0;
  ssize_t got = 0;
  do {
    got = getrandom(&value, sizeof value, 0);
  } while (got < 0 && errno == EINTR);
  return value;
}

// The byte functions a step spends most of its own time in.
void* memchr(const void* start, int byte, std::size_t size) {
  return const_cast<void*>(foldex::bytes::Find(start, byte, size));
}

void* memcpy(void* __restrict to, const void* __restrict from, std::size_t size) {
  foldex::bytes::Copy(to, from, size);
  return to;
}

void* memmove(void* to, const void* from, std::size_t size) {
  foldex::bytes::Move(to, from, size);
  return to;
}

// The C library's allocation functions, all of them, so that none of musl's
// own is linked in for the program.
void* malloc(std::size_t size) { return foldex::memory::Allocate(size); }
void free(void* block) { foldex::memory::Free(block); }
void* realloc(void* block, std::size_t size) { return foldex::memory::Resize(block, size); }
std::size_t malloc_usable_size(void* block) { return foldex::memory::UsableSize(block); }

void* calloc(std::size_t count, std::size_t size) {
  if (size != 0 && count > SIZE_MAX / size) {
    errno = ENOMEM;
    return nullptr;
  }
  void* block = foldex::memory::Allocate(count * size);
  if (block != nullptr) std::memset(block, 0, count * size);
  return block;
}

void* aligned_alloc(std::size_t alignment, std::size_t size) {
  return foldex::memory::Allocate(size, alignment);
}

void* memalign(std::size_t alignment, std::size_t size) {
  return foldex::memory::Allocate(size, alignment);
}

int posix_memalign(void** out, std::size_t alignment, std::size_t size) {
  if (alignment % sizeof(void*) != 0) return EINVAL;
  const int saved = errno;
  void* block = foldex::memory::Allocate(size, alignment);
  if (block == nullptr) {
    const int error = errno;
    errno = saved;
    return error;
  }
  *out = block;
  return 0;
}

}  // extern "C"
