#include "userfiles/fold_check.h"

#include <cstdint>
#include <string>
#include <vector>

#include "core/context.h"
#include "platform/platform.h"
#include "trees/entry_faults.h"
#include "userfiles/fold_lines.h"

namespace {

// Pairs the fold lines as they come and reports what does not pair.
// Counters are 64 bits wide and the stack grows as needed, so no file can
// make them wrap or overflow.
class FoldBalance : public FoldLineSink {
 public:
  explicit FoldBalance(Context& context) : context_(context) {}

  void FoldOpenLine(uint64_t line) override {
    openLines_.push_back(line);
    ++folds_;
  }

  void FoldCloseLine(uint64_t line) override {
    if (openLines_.empty()) {
      context_.Log("# ERROR: there is no ';FOLD' statement for the ';ENDFOLD' in line " +
                   std::to_string(line));
      ++errors_;
      return;
    }
    openLines_.pop_back();
    ++closes_;
  }

  // The faults that only the end of the file shows: innermost fold first.
  void ReportUnclosedFolds() {
    if (folds_ != closes_) {
      context_.Log("# ERROR: there are " + std::to_string(folds_) + " ;FOLD statements, but " +
                   std::to_string(closes_) + " ;ENDFOLD statements in the file");
      ++errors_;
    }
    while (!openLines_.empty()) {
      context_.Log("# ERROR: missing ';ENDFOLD' statement for the ';FOLD' statment in line " +
                   std::to_string(openLines_.back()));
      openLines_.pop_back();
      ++errors_;
    }
  }

  uint64_t errors() const { return errors_; }

 private:
  Context& context_;
  std::vector<uint64_t> openLines_;
  uint64_t folds_ = 0;
  uint64_t closes_ = 0;
  uint64_t errors_ = 0;
};

platform::Status ReadFoldLines(const std::string& path, FoldLineSink& sink) {
  platform::InputFile input;
  if (platform::Status status = input.Open(path); !status) return status;
  std::vector<char> piece(kFoldCheckPieceSize);
  FoldLineReader reader(sink);
  for (;;) {
    std::size_t got = 0;
    if (platform::Status status = input.Read(piece.data(), piece.size(), got); !status)
      return status;
    if (got == 0) break;
    reader.Feed(piece.data(), got);
  }
  reader.Finish();
  return platform::Status::Ok();
}

}  // namespace

bool ParseUserFile(Context& context, const std::string& file) {
  return CheckUserFile(context, file) == FoldCheck::kBalanced;
}

FoldCheck CheckUserFile(Context& context, const std::string& file) {
  context.Log(".Parse the File:" + file);
  std::string path = context.Arg.InSource(file);
  FoldBalance balance(context);
  if (platform::Status status = ReadFoldLines(path, balance); !status) {
    ReportEntryOnce(context, path,
                    "# ERROR: can not read the file " + path + ": " + status.reason);
    return FoldCheck::kUnreadable;
  }
  balance.ReportUnclosedFolds();
  if (balance.errors() == 0) {
    context.Log(".ParseUserFile: " + file + " no failure found !");
    return FoldCheck::kBalanced;
  }
  context.Log("#ParseUserFile: " + file + " hat " + std::to_string(balance.errors()) + " Fehler");
  return FoldCheck::kFaulty;
}
