#include "userfiles/fold_lines.h"

#include <cstring>

namespace {

constexpr char kOpenMarker[] = ";FOLD";
constexpr char kCloseMarker[] = ";ENDFOLD";
constexpr std::size_t kOpenLength = sizeof kOpenMarker - 1;
constexpr std::size_t kCloseLength = sizeof kCloseMarker - 1;

char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

const char* Find(const char* begin, const char* end, char c) {
  return static_cast<const char*>(std::memchr(begin, c, static_cast<std::size_t>(end - begin)));
}

}  // namespace

void FoldLineReader::Feed(const char* data, std::size_t size) {
  const char* p = data;
  const char* end = data + size;
  if (p == end) return;
  if (lineFeedBelongsToBreak_ && *p == '\n') ++p;
  lineFeedBelongsToBreak_ = false;
  while (p < end) {
    const char* carriageReturn = Find(p, end, '\r');
    const char* textEnd = carriageReturn ? carriageReturn : end;
    if (textEnd > p) {
      lineStarted_ = true;
      ScanLineText(p, textEnd);
    }
    if (!carriageReturn) return;
    EndLine();
    p = carriageReturn + 1;
    if (p == end) {
      lineFeedBelongsToBreak_ = true;
      return;
    }
    if (*p == '\n') ++p;
  }
}

void FoldLineReader::Finish() {
  if (lineStarted_) EndLine();
  lineFeedBelongsToBreak_ = false;
}

// Once a line is known to open a fold nothing else in it matters, so the
// rest of it is passed over; otherwise only the text from a semicolon on
// needs a closer look.
void FoldLineReader::ScanLineText(const char* p, const char* end) {
  while (p < end && !lineOpens_) {
    if (openMatched_ == 0 && closeMatched_ == 0) {
      p = Find(p, end, ';');
      if (!p) return;
    }
    Step(UpperAscii(*p++));
  }
}

// The semicolon stands only at the start of either marker, so a mismatch
// never hides the start of another match except at a new semicolon.
void FoldLineReader::Step(char upper) {
  if (upper == ';') {
    openMatched_ = 1;
    closeMatched_ = 1;
    return;
  }
  if (openMatched_ > 0) openMatched_ = upper == kOpenMarker[openMatched_] ? openMatched_ + 1 : 0;
  if (closeMatched_ > 0)
    closeMatched_ = upper == kCloseMarker[closeMatched_] ? closeMatched_ + 1 : 0;
  if (openMatched_ == kOpenLength) {
    lineOpens_ = true;
    openMatched_ = 0;
    closeMatched_ = 0;
  }
  if (closeMatched_ == kCloseLength) {
    lineCloses_ = true;
    closeMatched_ = 0;
  }
}

void FoldLineReader::EndLine() {
  if (lineOpens_)
    sink_.FoldOpenLine(line_);
  else if (lineCloses_)
    sink_.FoldCloseLine(line_);
  ++line_;
  lineStarted_ = false;
  lineOpens_ = false;
  lineCloses_ = false;
  openMatched_ = 0;
  closeMatched_ = 0;
}
