// The exchange program's command line on arbitrary text: a text taken has
// non-empty, trimmed fields, it formats back to itself (less the blanks
// around it, with the mode in upper case), and that text is read as the
// same command.

#include <cstdint>
#include <string>

#include "foldex.h"
#include "support/harness.h"
#include "text.h"

namespace {

bool Trimmed(const std::string& field) {
  return !field.empty() && foldex::Trim(field).size() == field.size() &&
         field.find('|') == std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  foldex::Command command;
  if (!foldex::ParseCommandLine(text, command)) return 0;
  fuzzing::Expect(Trimmed(command.file) && Trimmed(command.control),
                  "an empty or untrimmed field");
  fuzzing::Expect((command.form == foldex::Form::kTransfer) == !command.source.empty(),
                  "a source outside the transfer form");
  if (command.form == foldex::Form::kTransfer)
    fuzzing::Expect(Trimmed(command.source), "an untrimmed source");
  const std::string_view trimmed = foldex::Trim(text);
  const std::string expected = std::string(trimmed.substr(0, trimmed.size() - 4)) +
                               foldex::Upper(trimmed.substr(trimmed.size() - 4));
  fuzzing::Expect(foldex::FormatCommandLine(command) == expected, "the text formats differently");
  foldex::Command again;
  fuzzing::Expect(foldex::ParseCommandLine(foldex::FormatCommandLine(command), again),
                  "the formatted text is refused");
  fuzzing::Expect(again == command, "the formatted text reads differently");
  return 0;
}
