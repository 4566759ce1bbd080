#pragma once
// The exchange program's operations. The program is started with one
// argument text, its command line (util/exchange_command.h).
// Every operation does all its work or none: it changes its target in one
// atomic write, or, with each problem reported as one line, leaves it as it
// was. What the target has no place for (a saved fold or a value without a
// twin there) is no problem: the target takes what it can.

#include <string>
#include <string_view>

#include "control.h"
#include "util/exchange_command.h"

namespace foldex {

enum ExitCode { kDone = 0, kFailed = 1, kBadCommandLine = 2 };

// Each returns true when the step was done; false when its target (the
// store for a save) was left as it was, or, for a save, no store is left.
bool SaveFolds(const std::string& file, const std::string& controlPath,
               const FoldControl& control, Problems& problems);
bool ExchangeFolds(const std::string& file, const std::string& controlPath,
                   const FoldControl& control, Problems& problems);
bool TransferVariables(const std::string& target, const std::string& source,
                       const VariableControl& control, Problems& problems);
bool SetDeclarations(const std::string& target, const std::string& controlPath,
                     std::string_view controlText, Problems& problems);

// One whole call of the program: the exit code, with the problems listed.
int Run(const std::string& argument, Problems& problems);
// The same, writing each problem as one line to standard error.
int Run(const std::string& argument);

}  // namespace foldex
