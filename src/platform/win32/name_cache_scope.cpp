// The Win32 file system matches names without regard to case itself: there
// is nothing to remember.

#include "platform/platform.h"

namespace platform {

class NameCache {};

NameCacheScope::NameCacheScope() = default;
NameCacheScope::~NameCacheScope() = default;

}  // namespace platform
