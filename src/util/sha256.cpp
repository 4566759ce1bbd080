#include "util/sha256.h"

#include <cstring>

#include "util/sha256_rounds.h"
#include "util/sha256_x86.h"

namespace util {

namespace {

constexpr uint32_t Rotate(uint32_t value, int bits) {
  return (value >> bits) | (value << (32 - bits));
}

}  // namespace

Sha256::Sha256(Way way)
    : state_{0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
             0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19},
      instructions_(way == Way::kFastest && sha256_x86::Present()) {}

void Sha256::Blocks(const unsigned char* data, std::size_t count) {
  if (instructions_) {
    sha256_x86::Blocks(state_.data(), data, count);
    return;
  }
  for (; count > 0; --count, data += 64) Block(data);
}

void Sha256::Block(const unsigned char* block) {
  std::array<uint32_t, 64> w;
  for (std::size_t i = 0; i < 16; ++i)
    w[i] = uint32_t{block[4 * i]} << 24 | uint32_t{block[4 * i + 1]} << 16 |
           uint32_t{block[4 * i + 2]} << 8 | uint32_t{block[4 * i + 3]};
  for (int i = 16; i < 64; ++i) {
    uint32_t s0 = Rotate(w[i - 15], 7) ^ Rotate(w[i - 15], 18) ^ (w[i - 15] >> 3);
    uint32_t s1 = Rotate(w[i - 2], 17) ^ Rotate(w[i - 2], 19) ^ (w[i - 2] >> 10);
    w[i] = w[i - 16] + s0 + w[i - 7] + s1;
  }
  uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];
  uint32_t e = state_[4], f = state_[5], g = state_[6], h = state_[7];
  for (int i = 0; i < 64; ++i) {
    uint32_t s1 = Rotate(e, 6) ^ Rotate(e, 11) ^ Rotate(e, 25);
    uint32_t choice = (e & f) ^ (~e & g);
    uint32_t t1 = h + s1 + choice + kSha256Rounds[i] + w[i];
    uint32_t s0 = Rotate(a, 2) ^ Rotate(a, 13) ^ Rotate(a, 22);
    uint32_t majority = (a & b) ^ (a & c) ^ (b & c);
    uint32_t t2 = s0 + majority;
    h = g;
    g = f;
    f = e;
    e = d + t1;
    d = c;
    c = b;
    b = a;
    a = t1 + t2;
  }
  state_[0] += a;
  state_[1] += b;
  state_[2] += c;
  state_[3] += d;
  state_[4] += e;
  state_[5] += f;
  state_[6] += g;
  state_[7] += h;
}

void Sha256::Add(std::string_view bytes) {
  totalBytes_ += bytes.size();
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  std::size_t left = bytes.size();
  if (pendingSize_ > 0) {
    std::size_t take = std::min(left, pending_.size() - pendingSize_);
    std::memcpy(pending_.data() + pendingSize_, data, take);
    pendingSize_ += take;
    data += take;
    left -= take;
    if (pendingSize_ < pending_.size()) return;
    Blocks(pending_.data(), 1);
    pendingSize_ = 0;
  }
  Blocks(data, left / 64);
  data += left / 64 * 64;
  left %= 64;
  std::memcpy(pending_.data(), data, left);
  pendingSize_ = left;
}

std::string Sha256::HexDigest() {
  const uint64_t bits = totalBytes_ * 8;
  const unsigned char one = 0x80;
  Add(std::string_view(reinterpret_cast<const char*>(&one), 1));
  const unsigned char zero = 0;
  while (pendingSize_ != 56) Add(std::string_view(reinterpret_cast<const char*>(&zero), 1));
  unsigned char length[8];
  for (int i = 0; i < 8; ++i) length[i] = static_cast<unsigned char>(bits >> (56 - 8 * i));
  Add(std::string_view(reinterpret_cast<const char*>(length), 8));
  static const char kHex[] = "0123456789abcdef";
  std::string text;
  for (uint32_t word : state_)
    for (int shift = 28; shift >= 0; shift -= 4) text += kHex[(word >> shift) & 0xf];
  return text;
}

std::string Sha256Hex(std::string_view bytes) {
  Sha256 hash;
  hash.Add(bytes);
  return hash.HexDigest();
}

}  // namespace util
