// The bytes of a file, read whole: the Win32 layer maps nothing yet.

#include "platform/platform.h"

namespace platform {

FileBytes::~FileBytes() = default;

Status FileBytes::Open(const std::string& path) {
  Status status = ReadFileBytes(path, copy_);
  view_ = copy_;
  return status;
}

}  // namespace platform
