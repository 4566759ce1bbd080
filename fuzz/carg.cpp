// CArg.init on arbitrary command-line text: no path ends in a separator,
// the template is the destination's beginning, and the log names exactly
// the paths that were set. The program's command line read from the same
// text: an upgrade gets one pair with both sides, a mistake one line.

#include "core/carg.h"

#include <cstdint>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "support/harness.h"

namespace {

bool EndsInSeparator(const std::string& path) {
  return !path.empty() && (path.back() == '\\' || path.back() == '/');
}

void CheckCommandLine(const std::string& text) {
  const CommandLine line = ParseCommandLine(text);
  if (line.mode == CommandMode::kMistake) {
    fuzzing::Expect(!line.error.empty() && line.error.find('\n') == std::string::npos,
                    "a mistake is not one line");
    return;
  }
  fuzzing::Expect(line.paths.find('"') == std::string::npos, "a quotation mark in the paths");
  fuzzing::Expect(line.paths.find('/') == std::string::npos, "a forward slash in the paths");
  if (line.mode != CommandMode::kUpgrade) return;
  const std::size_t bar = line.paths.find('|');
  fuzzing::Expect(bar != std::string::npos && line.paths.find('|', bar + 1) == std::string::npos,
                  "an upgrade without exactly one bar");
  fuzzing::Expect(line.paths.substr(0, bar).find_first_not_of(" \t") != std::string::npos &&
                      line.paths.substr(bar + 1).find_first_not_of(" \t") != std::string::npos,
                  "an upgrade with an empty side");
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
  CheckCommandLine(text);
  return 0;
}
