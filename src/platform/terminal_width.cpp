#include <cstdlib>
#include <string>

#include "platform/os.h"
#include "platform/platform.h"

namespace platform {

int TerminalColumns() {
  if (int columns = StderrTerminalColumns(); columns > 0) return columns;
  if (const char* text = std::getenv("COLUMNS"); text && *text) {
    char* end = nullptr;
    const long columns = std::strtol(text, &end, 10);
    // A width beyond any screen is a mistake, not a wish.
    if (*end == '\0' && columns > 0 && columns <= 10000) return static_cast<int>(columns);
  }
  return 80;
}

}  // namespace platform
