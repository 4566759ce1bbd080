#include "ui/terminal_progress.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "core/progress.h"
#include "platform/platform.h"

namespace {

const std::string kCut = "...";

std::string Bar(const ProgressWindow& window, int cells) {
  double span = window.Max - window.Min;
  double share = span > 0 ? (window.Value - window.Min) / span : 0;
  share = std::clamp(share, 0.0, 1.0);
  int filled = static_cast<int>(std::lround(share * cells));
  return "[" + std::string(filled, '#') + std::string(cells - filled, ' ') + "] ";
}

// A quarter of the width, within bounds that keep it readable.
int BarCells(int columns) { return std::clamp(columns / 4, 10, 30); }

}  // namespace

std::string ShortenInTheMiddle(const std::string& text, std::size_t room) {
  if (text.size() <= room) return text;
  if (room <= kCut.size()) return text.substr(text.size() - room);
  const std::size_t kept = room - kCut.size();
  const std::size_t slash = text.rfind('\\');
  const std::size_t name = slash == std::string::npos ? 0 : text.size() - slash;
  // A third for the start (the stage), the rest for the end (the file).
  std::size_t tail = kept - kept / 3;
  if (name > tail) tail = std::min(name, kept);
  const std::size_t head = kept - tail;
  return text.substr(0, head) + kCut + text.substr(text.size() - tail);
}

std::string ProgressLine(const ProgressWindow& window, int columns) {
  // The last column is left free: a terminal may wrap a full line.
  const std::size_t room = static_cast<std::size_t>(std::max(columns - 1, 1));
  std::string start = Bar(window, BarCells(columns));
  if (window.Total > 0)
    start += std::to_string(window.Done) + "/" + std::to_string(window.Total) + " ";
  if (start.size() + kCut.size() >= room) return ShortenInTheMiddle(window.Information, room);
  return start + ShortenInTheMiddle(window.Information, room - start.size());
}

void AttachTerminalProgress(ProgressWindow& window) {
  if (!platform::StderrIsTerminal()) return;
  auto shown = std::make_shared<std::string>();
  window.OnRepaint = [shown](const ProgressWindow& state) {
    std::string line =
        state.Visible ? ProgressLine(state, platform::TerminalColumns()) : std::string();
    if (line == *shown) return;
    // Pad with blanks so a shorter line covers the longer one before it.
    std::string padded =
        line + std::string(shown->size() > line.size() ? shown->size() - line.size() : 0, ' ');
    platform::WriteStderr("\r" + padded + (line.empty() ? "\r" : ""));
    *shown = line;
  };
}
