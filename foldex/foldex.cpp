#include "foldex.h"

#include "platform/platform.h"

namespace foldex {

namespace {

bool RunFolds(const Command& command, std::string_view controlText, Problems& problems) {
  FoldControl control;
  if (!ParseFoldControl(command.control, controlText, control, problems)) return false;
  if (control.action == Action::kSave)
    return SaveFolds(command.file, command.control, control, problems);
  return ExchangeFolds(command.file, command.control, control, problems);
}

bool RunTransfer(const Command& command, std::string_view controlText, Problems& problems) {
  VariableControl control;
  if (!ParseVariableControl(command.control, controlText, control, problems)) return false;
  return TransferVariables(command.file, command.source, control, problems);
}

}  // namespace

int Run(const std::string& argument, Problems& problems) {
  Command command;
  if (!ParseCommandLine(argument, command)) {
    problems.push_back("bad command line: " + argument +
                       " (expected file | control /TXT, target | control/DAT or"
                       " target | control | source/DAT)");
    return kBadCommandLine;
  }
  std::string controlText;
  if (!ReadControlFile(command.control, controlText, problems)) return kFailed;
  bool done = false;
  switch (command.form) {
    case Form::kFolds: done = RunFolds(command, controlText, problems); break;
    case Form::kTransfer: done = RunTransfer(command, controlText, problems); break;
    case Form::kSetDeclarations:
      done = SetDeclarations(command.file, command.control, controlText, problems);
      break;
  }
  return done && problems.empty() ? kDone : kFailed;
}

int Run(const std::string& argument) {
  Problems problems;
  int code = Run(argument, problems);
  for (const std::string& problem : problems) platform::WriteStderr("Foldex: " + problem + "\n");
  return code;
}

}  // namespace foldex
