#pragma once
// The SHA-256 rounds in the processor's own instructions, where it has
// them (x86 processors since about 2017): the backup hashes every file a
// run writes, and these take a fraction of the time of the rounds in C++.

#include <cstddef>
#include <cstdint>

namespace util::sha256_x86 {

// Whether this processor has the SHA, SSSE3 and SSE4.1 instructions.
bool Present();

// Runs count 64-byte blocks through state (a to h); only where Present().
void Blocks(uint32_t state[8], const unsigned char* data, std::size_t count);

}  // namespace util::sha256_x86
