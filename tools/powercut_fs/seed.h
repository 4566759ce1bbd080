#pragma once
// The state a volume starts from and returns to at each reset: a copy of a
// host folder, made durable whole.

#include <string>

#include "volume.h"

namespace powercut {

// Reads the folder at host with everything below it: bytes, modes, owners,
// times, extended attributes, symbolic links, and hard links as one inode.
// False with the reason where something cannot be read.
bool LoadSeed(const std::string& host, Table& table, std::string& error);

}  // namespace powercut
