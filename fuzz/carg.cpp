// CArg.init on arbitrary command-line text: no path ends in a separator,
// the template is the destination's beginning, and the log names exactly
// the paths that were set.

#include <cstdint>
#include <string>
#include <vector>

#include "core/carg.h"
#include "support/harness.h"

namespace {

bool EndsInSeparator(const std::string& path) {
  return !path.empty() && (path.back() == '\\' || path.back() == '/');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  MemoryLog log;
  CArg arg;
  arg.init(text, log);
  fuzzing::Expect(!EndsInSeparator(arg.Source), "Source ends in a separator");
  fuzzing::Expect(!EndsInSeparator(arg.Dest), "Dest ends in a separator");
  fuzzing::Expect(arg.Dest.empty() || arg.Source.size() > 0, "Dest without Source");
  fuzzing::Expect(arg.Dest.compare(0, arg.Template.size(), arg.Template) == 0,
                  "Template is not the beginning of Dest");
  std::vector<std::string> expected;
  if (!arg.Source.empty()) expected.push_back(".Source-Path: " + arg.Source);
  if (!arg.Dest.empty()) {
    expected.push_back(".Dest.-Path: " + arg.Dest);
    expected.push_back(".Temp.-Path: " + arg.Template);
  }
  fuzzing::Expect(log.lines == expected, "the log does not name the paths set");
  return 0;
}
