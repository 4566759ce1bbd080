#pragma once
// The exchange program's operations. The program is started with one
// argument text, its command line (util/exchange_command.h).
// Every operation reports each problem as one line and changes its target
// in one atomic write, or not at all when it cannot do its work.

#include <string>
#include <string_view>

#include "control.h"
#include "util/exchange_command.h"

namespace foldex {

enum ExitCode { kDone = 0, kFailed = 1, kBadCommandLine = 2 };

// Each returns true when everything the control file names was done.
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
