#pragma once
// The exchange program's command line: one argument text in one of these
// forms (fields separated by "|", blanks and tabs around the bars allowed,
// paths unquoted and possibly holding blanks):
//   file | control /TXT            save or exchange folds, as the control
//                                  file's ACTION says
//   target | control | source/DAT  transfer the values of the variables
//                                  the control file names
//   target | control/DAT           set the declarations the control file
//                                  holds
// Both programs know it: the upgrade program writes it, the exchange
// program reads it.

#include <string>
#include <string_view>

namespace foldex {

enum class Form { kFolds, kTransfer, kSetDeclarations };

// Every member has an initializer, so that a command is written with the
// designated members it needs and no others.
struct Command {
  Form form = Form::kFolds;
  std::string file{};     // the file saved from or written to
  std::string control{};  // the control file
  std::string source{};   // the transfer's source file
  // The blanks around the bars and before the mode. The exchange program
  // reads past them; the controller's command lines differ in them, and a
  // command line is logged as it was made.
  std::string fileBar = " | ";     // between file and control
  std::string controlBar = " | ";  // between control and source (transfer only)
  std::string modeGap = " ";       // before "/TXT" or "/DAT"

  bool operator==(const Command&) const = default;
};

// The mode is read without regard to case; blanks and tabs around the
// whole text are dropped.
bool ParseCommandLine(std::string_view text, Command& command);
// The text ParseCommandLine reads back as command, with the mode in upper
// case: a text without blanks around it and with its mode in upper case
// formats back to itself from what ParseCommandLine read.
std::string FormatCommandLine(const Command& command);

}  // namespace foldex
