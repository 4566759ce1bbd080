// The exchange program's command line on arbitrary text: a text taken has
// non-empty, trimmed fields, and the text built again from them is read
// the same way.

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

std::string Rebuilt(const foldex::Command& command) {
  switch (command.form) {
    case foldex::Form::kFolds: return command.file + " | " + command.control + " /TXT";
    case foldex::Form::kSetDeclarations: return command.file + " | " + command.control + "/DAT";
    case foldex::Form::kTransfer:
      return command.file + " | " + command.control + " | " + command.source + "/DAT";
  }
  return "";
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
  foldex::Command again;
  fuzzing::Expect(foldex::ParseCommandLine(Rebuilt(command), again), "the rebuilt text is refused");
  fuzzing::Expect(again.form == command.form && again.file == command.file &&
                      again.control == command.control && again.source == command.source,
                  "the rebuilt text reads differently");
  return 0;
}
