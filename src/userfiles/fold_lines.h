#pragma once
// Finds the fold-open and fold-close lines of a robot program file that is
// read piece by piece. A line ends at a carriage return; a line feed right
// after it belongs to the break, a line feed anywhere else is text. The
// markers are matched in any case and across the ends of the pieces without
// keeping the line itself, so a file of any size and any line length is
// read in fixed memory.

#include <cstddef>
#include <cstdint>

// Told about every line that opens or closes a fold, in file order.
class FoldLineSink {
 public:
  virtual ~FoldLineSink() = default;
  virtual void FoldOpenLine(uint64_t line) = 0;
  virtual void FoldCloseLine(uint64_t line) = 0;
};

class FoldLineReader {
 public:
  explicit FoldLineReader(FoldLineSink& sink) : sink_(sink) {}

  // The next piece of the file, in order; pieces may split lines, markers
  // and the carriage return / line feed pair anywhere.
  void Feed(const char* data, std::size_t size);
  // The end of the file: reports a last line that has no break.
  void Finish();

 private:
  void ScanLineText(const char* begin, const char* end);
  void Step(char upper);
  void EndLine();

  FoldLineSink& sink_;
  uint64_t line_ = 1;  // number of the line being read
  bool lineStarted_ = false;
  bool lineOpens_ = false;   // holds ;FOLD
  bool lineCloses_ = false;  // holds ;ENDFOLD
  std::size_t openMatched_ = 0;   // bytes of ";FOLD" matched at the end of what was read
  std::size_t closeMatched_ = 0;  // bytes of ";ENDFOLD" likewise
  bool lineFeedBelongsToBreak_ = false;  // the last piece ended with a carriage return
};
