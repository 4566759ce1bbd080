#pragma once
// What every fuzz target shares: a scratch folder mapped as drive C: for
// the life of the process, a context that logs to memory, and a way to
// stop at a broken invariant so that the fuzzer keeps the input.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/context.h"
#include "log/log_library.h"

namespace fuzzing {

// Creates the scratch drive on first use and maps C: to it.
void EnsureScratchDrive();

// Writes bytes to a system path below C:, creating its folders; aborts
// when the harness itself cannot write (that is no finding of the code).
void Put(const std::string& systemPath, std::string_view bytes);
// The file's bytes, or "" when it cannot be read.
std::string Get(const std::string& systemPath);
void Remove(const std::string& systemPath);

// A context for single operations, logging to memory.
struct MemoryContext {
  MemoryLog log;
  Context context;
  MemoryContext() { context.Lumo = &log; }
};

// Reports what broke and aborts, so that libFuzzer saves the input.
[[noreturn]] void Fail(const std::string& what);
inline void Expect(bool holds, const std::string& what) {
  if (!holds) Fail(what);
}

}  // namespace fuzzing
