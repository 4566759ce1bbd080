#pragma once
// The control files (*.upg). Line based: empty lines and lines whose first
// character other than blanks is ";" are comments, and on a KEY=value line
// everything from a ";" on is a remark. Keys are read without regard to
// case; values are trimmed.
//
// Folds (the "/TXT" forms):
//   ACTION=SAVE or ACTION=EXCHANGE
//   STORE=name.add      store file in the folder of the control file
//   FOLD=pattern        save the folds whose name matches (SAVE only)
//   EXCEPT=pattern      but not those whose name matches (SAVE only)
//   LEAF_ONLY=YES       save only folds that hold no other fold (SAVE only)
// Variables (the transfer form):
//   VAR=pattern         variables whose name, index included, matches

#include <string>
#include <string_view>
#include <vector>

namespace foldex {

using Problems = std::vector<std::string>;

enum class Action { kNone, kSave, kExchange };

struct FoldControl {
  Action action = Action::kNone;
  std::string store;                 // file name as written
  std::vector<std::string> include;  // upper-cased patterns
  std::vector<std::string> except;   // upper-cased patterns
  bool leafOnly = false;
};

struct VariableControl {
  std::vector<std::string> names;  // upper-cased, blanks removed
};

// Each parser adds one problem per faulty line and returns false when the
// control file is not usable as a whole.
bool ParseFoldControl(const std::string& path, std::string_view text, FoldControl& control,
                      Problems& problems);
bool ParseVariableControl(const std::string& path, std::string_view text,
                          VariableControl& control, Problems& problems);

// A variable name or pattern in the form names are compared in.
std::string VariableKey(std::string_view name);

// Reads a control file; false with one problem when it cannot be read.
bool ReadControlFile(const std::string& path, std::string& text, Problems& problems);

}  // namespace foldex
