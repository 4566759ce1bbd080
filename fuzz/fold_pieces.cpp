// The fold check's line reader fed in pieces cut at arbitrary places: it
// must report the same fold lines as when it gets the whole file at once.
// The input is a list of piece lengths, then the file.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "support/harness.h"
#include "userfiles/fold_lines.h"

namespace {

class Recorder : public FoldLineSink {
 public:
  std::vector<std::pair<char, uint64_t>> events;
  void FoldOpenLine(uint64_t line) override { events.emplace_back('o', line); }
  void FoldCloseLine(uint64_t line) override { events.emplace_back('c', line); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  std::vector<std::size_t> cuts;
  const std::size_t pieces = input.ConsumeIntegralInRange<std::size_t>(0, 32);
  for (std::size_t i = 0; i < pieces; ++i) cuts.push_back(input.ConsumeIntegralInRange<std::size_t>(0, 64));
  const std::string bytes = input.ConsumeRemainingBytesAsString();

  Recorder whole;
  FoldLineReader wholeReader(whole);
  wholeReader.Feed(bytes.data(), bytes.size());
  wholeReader.Finish();

  Recorder cut;
  FoldLineReader cutReader(cut);
  std::size_t at = 0;
  for (std::size_t length : cuts) {
    if (at + length > bytes.size()) length = bytes.size() - at;
    cutReader.Feed(bytes.data() + at, length);
    at += length;
  }
  cutReader.Feed(bytes.data() + at, bytes.size() - at);
  cutReader.Finish();

  fuzzing::Expect(whole.events == cut.events, "pieces change the fold lines found");
  return 0;
}
