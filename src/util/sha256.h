#pragma once
// SHA-256 of bytes, for telling whether a file is still what a run left:
// fed piece by piece, so that a large file need not be held whole.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace util {

class Sha256 {
 public:
  // kPortable leaves the processor's own SHA instructions unused, so that
  // the two ways can be held against each other.
  enum class Way { kFastest, kPortable };

  explicit Sha256(Way way = Way::kFastest);
  void Add(std::string_view bytes);
  // The digest as 64 lower-case hex digits; the object is spent afterwards.
  std::string HexDigest();

 private:
  void Blocks(const unsigned char* data, std::size_t count);
  void Block(const unsigned char* block);

  std::array<uint32_t, 8> state_;
  std::array<unsigned char, 64> pending_{};
  std::size_t pendingSize_ = 0;
  uint64_t totalBytes_ = 0;
  bool instructions_;
};

std::string Sha256Hex(std::string_view bytes);

}  // namespace util
