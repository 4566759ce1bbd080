#include "ui/event_handler.h"

#include "core/process_end.h"

std::optional<int> RunHandler(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const ProcessEnd& end) {
    return end.exitCode;
  } catch (...) {
    return 1;
  }
  return std::nullopt;
}
