#pragma once
// The exchange program's operations. The program is started with one
// argument text in one of these forms (fields separated by "|", blanks
// around the bars allowed, paths unquoted and possibly holding blanks):
//   file | control /TXT            save or exchange folds, as the control
//                                  file's ACTION says
//   target | control | source/DAT  transfer the values of the variables
//                                  the control file names
//   target | control/DAT           set the declarations the control file
//                                  holds
// Every operation reports each problem as one line and changes its target
// in one atomic write, or not at all when it cannot do its work.

#include <string>
#include <string_view>

#include "control.h"

namespace foldex {

enum ExitCode { kDone = 0, kFailed = 1, kBadCommandLine = 2 };

enum class Form { kFolds, kTransfer, kSetDeclarations };

struct Command {
  Form form = Form::kFolds;
  std::string file;     // the file saved from or written to
  std::string control;  // the control file
  std::string source;   // the transfer's source file
};
bool ParseCommandLine(std::string_view text, Command& command);

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
