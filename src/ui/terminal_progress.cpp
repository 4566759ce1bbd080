#include "ui/terminal_progress.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "platform/platform.h"
#include "core/progress.h"

namespace {
constexpr int kBarWidth = 30;
constexpr std::size_t kLineWidth = 100;
}  // namespace

std::string ProgressLine(const ProgressWindow& window, int width) {
  double span = window.Max - window.Min;
  double share = span > 0 ? (window.Value - window.Min) / span : 0;
  share = std::clamp(share, 0.0, 1.0);
  int filled = static_cast<int>(std::lround(share * width));
  std::string line = "[" + std::string(filled, '#') + std::string(width - filled, ' ') + "] " +
                     window.Information;
  if (line.size() > kLineWidth) line = line.substr(0, kLineWidth - 3) + "...";
  return line;
}

void AttachTerminalProgress(ProgressWindow& window) {
  if (!platform::StderrIsTerminal()) return;
  auto shown = std::make_shared<std::string>();
  window.OnRepaint = [shown](const ProgressWindow& state) {
    std::string line = state.Visible ? ProgressLine(state, kBarWidth) : std::string();
    if (line == *shown) return;
    // Pad with blanks so a shorter line covers the longer one before it.
    std::string padded = line + std::string(shown->size() > line.size() ? shown->size() - line.size() : 0, ' ');
    platform::WriteStderr("\r" + padded + (line.empty() ? "\r" : ""));
    *shown = line;
  };
}
