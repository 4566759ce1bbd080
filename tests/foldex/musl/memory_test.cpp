#include "musl/memory.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <vector>

namespace foldex::memory {
namespace {

bool AlignedTo(const void* block, std::size_t alignment) {
  return reinterpret_cast<std::uintptr_t>(block) % alignment == 0;
}

void Fill(void* block, std::size_t size, unsigned seed) {
  auto* bytes = static_cast<unsigned char*>(block);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<unsigned char>(seed + i * 7);
}

bool Holds(const void* block, std::size_t size, unsigned seed) {
  const auto* bytes = static_cast<const unsigned char*>(block);
  for (std::size_t i = 0; i < size; ++i) {
    if (bytes[i] != static_cast<unsigned char>(seed + i * 7)) return false;
  }
  return true;
}

TEST(FoldexMemory, GivesAlignedBlocksOfAtLeastTheSizeAskedFor) {
  struct Case {
    std::size_t size, alignment;
  };
  for (Case c : std::vector<Case>{{0, 16},
                                  {1, 1},
                                  {17, 16},
                                  {32768, 16},
                                  {32769, 16},
                                  {1 << 20, 16},
                                  {100, 64},
                                  {100, 4096},
                                  {5000, 8192},
                                  {40000, 65536}}) {
    SCOPED_TRACE(testing::Message() << c.size << " at " << c.alignment);
    void* block = Allocate(c.size, c.alignment);
    ASSERT_NE(block, nullptr);
    EXPECT_TRUE(AlignedTo(block, c.alignment < 16 ? 16 : c.alignment));
    EXPECT_GE(UsableSize(block), c.size);
    Fill(block, UsableSize(block), 3);
    EXPECT_TRUE(Holds(block, UsableSize(block), 3));
    Free(block);
  }
}

TEST(FoldexMemory, ResizeKeepsTheContents) {
  struct Case {
    std::size_t from, to;
  };
  for (Case c : std::vector<Case>{{10, 20},
                                  {100, 10},
                                  {100, 40000},
                                  {40000, 100},
                                  {40000, 1 << 20},
                                  {1 << 20, 3 << 20},
                                  {3 << 20, 1000}}) {
    SCOPED_TRACE(testing::Message() << c.from << " to " << c.to);
    void* block = Allocate(c.from);
    ASSERT_NE(block, nullptr);
    Fill(block, c.from, 11);
    void* resized = Resize(block, c.to);
    ASSERT_NE(resized, nullptr);
    EXPECT_GE(UsableSize(resized), c.to);
    EXPECT_TRUE(Holds(resized, c.from < c.to ? c.from : c.to, 11));
    Fill(resized, c.to, 5);
    Free(resized);
  }
}

TEST(FoldexMemory, AFreedSmallBlockIsTakenAgainAndNoLiveBlockTwice) {
  void* first = Allocate(200);
  void* kept = Allocate(200);
  Free(first);
  void* again = Allocate(150);  // the same size class: the freed block
  EXPECT_EQ(again, first);
  void* another = Allocate(200);
  EXPECT_NE(another, kept);
  EXPECT_NE(another, again);
  for (void* block : {kept, again, another}) Free(block);
}

TEST(FoldexMemory, RefusesWhatItCannotGiveAndKeepsTheOldBlock) {
  errno = 0;
  EXPECT_EQ(Allocate(100, 48), nullptr);
  EXPECT_EQ(errno, EINVAL);
  errno = 0;
  EXPECT_EQ(Allocate(SIZE_MAX - 64), nullptr);
  EXPECT_EQ(errno, ENOMEM);
  void* block = Allocate(40000);
  ASSERT_NE(block, nullptr);
  Fill(block, 40000, 9);
  errno = 0;
  EXPECT_EQ(Resize(block, SIZE_MAX - 64), nullptr);
  EXPECT_EQ(errno, ENOMEM);
  EXPECT_TRUE(Holds(block, 40000, 9));
  Free(block);
}

}  // namespace
}  // namespace foldex::memory
