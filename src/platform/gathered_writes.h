#pragma once
// Small pieces of a file's text gathered into few large writes: the
// exchange program hands over a large result piece by piece, often a line
// at a time.

#include <cstddef>
#include <string>

#include "platform/platform.h"

namespace platform {

class GatheredWrites {
 public:
  // writeAll(data, size) writes to the file and returns its Status.
  template <typename WriteAll>
  Status Add(const char* data, std::size_t size, WriteAll writeAll) {
    if (pending_.size() + size <= kGatherSize) {
      pending_.append(data, size);
      return Status::Ok();
    }
    Status status = Flush(writeAll);
    return status ? writeAll(data, size) : status;
  }

  template <typename WriteAll>
  Status Flush(WriteAll writeAll) {
    Status status = writeAll(pending_.data(), pending_.size());
    pending_.clear();
    return status;
  }

 private:
  static constexpr std::size_t kGatherSize = 1 << 18;
  std::string pending_;
};

}  // namespace platform
