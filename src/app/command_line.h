#pragma once
// The program's command line, read whole before anything else happens: a
// mistyped option must never start a run, which would move the log of the
// last real one aside.

#include <string>

enum class CommandMode {
  kDialog,    // no argument at all: the settings dialog
  kUpgrade,   // SOURCE|DESTINATION, perhaps as a dry run
  kRollback,  // --rollback BACKUP-FOLDER
  kHelp,
  kVersion,
  kMistake,  // not a command line of the program: see error
};

struct CommandLine {
  CommandMode mode = CommandMode::kDialog;
  // The pair SOURCE|DESTINATION as the run takes it (kUpgrade), or the
  // backup folder (kRollback); quotation marks removed, "/" read as "\".
  std::string paths;
  bool dryRun = false;
  bool json = false;
  bool keepBackup = true;
  bool quiet = false;
  bool verbose = false;
  bool force = false;
  std::string summaryJson;  // the file for the JSON summary, empty for none
  std::string error;        // kMistake: one line, without the program's name
};

// Reads the argument text as the platform gives it. Words are separated by
// blanks outside double quotation marks; a word beginning with "-" is an
// option unless it follows "--". The other words, with the blanks between
// them as given, make the paths.
CommandLine ParseCommandLine(const std::string& text);
