// The exchange program's control-file parsers on arbitrary text: a control
// file taken as usable names an action and a plain store in the control
// folder; one refused says why.

#include <cstdint>
#include <string>

#include "control.h"
#include "store.h"
#include "support/harness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::string path = "C:\\Prog\\Vantrel\\Step.upg";

  foldex::Problems problems;
  foldex::FoldControl folds;
  if (foldex::ParseFoldControl(path, text, folds, problems)) {
    fuzzing::Expect(folds.action != foldex::Action::kNone, "usable without an action");
    const std::string store = foldex::StorePath(path, folds.store);
    fuzzing::Expect(store.rfind("C:\\Prog\\Vantrel\\", 0) == 0 &&
                        store.find_first_of("\\/:", 16) == std::string::npos,
                    "the store leaves the control folder: " + store);
    fuzzing::Expect(folds.action != foldex::Action::kSave || !folds.include.empty(),
                    "a save without a fold to save");
  } else {
    fuzzing::Expect(!problems.empty(), "a fold control refused without a problem");
  }

  problems.clear();
  foldex::VariableControl variables;
  if (foldex::ParseVariableControl(path, text, variables, problems)) {
    fuzzing::Expect(!variables.names.empty(), "a transfer without a variable");
  } else {
    fuzzing::Expect(!problems.empty(), "a variable control refused without a problem");
  }
  return 0;
}
