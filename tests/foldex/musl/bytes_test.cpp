#include "musl/bytes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace foldex::bytes {
namespace {

// Every start within a block, lengths around the block and copy sizes, the
// byte sought at each place or nowhere, and bytes equal to it just outside
// the range, which must not be found.
TEST(FoldexBytes, FindAgreesWithTheCLibrary) {
  std::vector<unsigned char> buffer(256, 'x');
  for (std::size_t start = 0; start < 16; ++start) {
    for (std::size_t size : {0u, 1u, 2u, 15u, 16u, 17u, 31u, 32u, 33u, 100u}) {
      for (std::size_t at = 0; at <= size; ++at) {  // at == size: not in the range
        std::fill(buffer.begin(), buffer.end(), 'x');
        unsigned char* range = buffer.data() + 32 + start;
        range[-1] = '\n';
        range[size] = '\n';
        if (at < size) range[at] = '\n';
        EXPECT_EQ(Find(range, '\n', size), std::memchr(range, '\n', size))
            << "start " << start << ", size " << size << ", at " << at;
      }
    }
  }
}

TEST(FoldexBytes, FindTakesTheByteAsUnsigned) {
  const unsigned char text[] = {'a', 0xE4, 'b', 0};
  EXPECT_EQ(Find(text, 0xE4, 3), text + 1);
  EXPECT_EQ(Find(text, -28, 3), text + 1);  // (char)0xE4 passed as int
  EXPECT_EQ(Find(text, 0, 3), nullptr);
}

TEST(FoldexBytes, CopyCopiesEverySizeAndNothingBeyond) {
  for (std::size_t size : {0u, 1u, 3u, 4u, 7u, 8u, 15u, 16u, 17u, 33u, 511u, 512u, 4099u}) {
    for (std::size_t shift : {0u, 1u, 9u}) {
      std::vector<unsigned char> from(size + 32), to(size + 32, 0xAA);
      for (std::size_t i = 0; i < from.size(); ++i) from[i] = static_cast<unsigned char>(i * 13);
      Copy(to.data() + shift, from.data() + 3, size);
      std::vector<unsigned char> expected(size + 32, 0xAA);
      std::memcpy(expected.data() + shift, from.data() + 3, size);
      EXPECT_EQ(to, expected) << "size " << size << ", shift " << shift;
    }
  }
}

TEST(FoldexBytes, MoveCopiesOverItselfBothWays) {
  for (std::size_t size : {0u, 2u, 3u, 5u, 16u, 20u, 40u, 300u, 1000u}) {
    for (std::size_t distance : {1u, 2u, 9u, 17u}) {
      for (bool forward : {true, false}) {
        std::vector<unsigned char> buffer(size + distance), expected;
        for (std::size_t i = 0; i < buffer.size(); ++i) buffer[i] = static_cast<unsigned char>(i);
        expected = buffer;
        unsigned char* to = forward ? buffer.data() : buffer.data() + distance;
        const unsigned char* from = forward ? buffer.data() + distance : buffer.data();
        std::memmove(forward ? expected.data() : expected.data() + distance,
                     forward ? expected.data() + distance : expected.data(), size);
        Move(to, from, size);
        EXPECT_EQ(buffer, expected) << "size " << size << ", distance " << distance
                                    << (forward ? ", towards the start" : ", towards the end");
      }
    }
  }
}

}  // namespace
}  // namespace foldex::bytes
