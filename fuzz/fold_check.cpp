// The fold check on arbitrary bytes. Beyond "no crash": the log must be
// exactly what a plain reading of the fold rules gives, and the fault
// count must follow from fold count - close count = depth at the end.

#include <cstdint>
#include <string>
#include <vector>

#include "support/harness.h"
#include "userfiles/fold_check.h"
#include "util/strings.h"

namespace {

// The rules read as simply as possible: lines end at CR, an LF right after
// it belongs to the break, markers match in any case.
std::vector<std::string> ExpectedLog(const std::string& bytes, const std::string& file) {
  std::vector<std::string> log = {".Parse the File:" + file};
  std::vector<uint64_t> open;
  uint64_t folds = 0, closes = 0, faults = 0, number = 0;
  auto judge = [&](const std::string& line) {
    ++number;
    const std::string upper = util::Upper(line);
    if (upper.find(";FOLD") != std::string::npos) {
      open.push_back(number);
      ++folds;
    } else if (upper.find(";ENDFOLD") != std::string::npos) {
      if (open.empty()) {
        log.push_back("# ERROR: there is no ';FOLD' statement for the ';ENDFOLD' in line " +
                      std::to_string(number));
        ++faults;
      } else {
        open.pop_back();
        ++closes;
      }
    }
  };
  std::string line;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (bytes[i] != '\r') {
      line += bytes[i];
      continue;
    }
    judge(line);
    line.clear();
    if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
  }
  if (!line.empty()) judge(line);
  fuzzing::Expect(folds - closes == open.size(), "fold count - close count != depth");
  if (!open.empty()) {
    log.push_back("# ERROR: there are " + std::to_string(folds) + " ;FOLD statements, but " +
                  std::to_string(closes) + " ;ENDFOLD statements in the file");
    ++faults;
  }
  for (auto it = open.rbegin(); it != open.rend(); ++it) {
    log.push_back("# ERROR: missing ';ENDFOLD' statement for the ';FOLD' statment in line " +
                  std::to_string(*it));
    ++faults;
  }
  if (faults == 0)
    log.push_back(".ParseUserFile: " + file + " no failure found !");
  else
    log.push_back("#ParseUserFile: " + file + " hat " + std::to_string(faults) + " Fehler");
  return log;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::string file = "Program\\Fuzz.src";
  fuzzing::Put("C:\\Old\\R1\\" + file, bytes);
  fuzzing::MemoryContext run;
  run.context.Arg.Source = "C:\\Old\\R1";
  const bool clean = ParseUserFile(run.context, file);
  const std::vector<std::string> expected = ExpectedLog(bytes, file);
  fuzzing::Expect(run.log.lines == expected, "the log differs from the fold rules");
  fuzzing::Expect(clean == (expected.back().front() == '.'), "result and summary line disagree");
  return 0;
}
