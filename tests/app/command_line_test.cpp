// The command line read whole: every form the program takes, and every
// mistake refused before anything else happens.

#include "app/command_line.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Accepted {
  const char* text;
  CommandMode mode;
  const char* paths;
  bool dryRun, json, keepBackup, quiet, verbose, force;
  const char* summaryJson;
};

TEST(CommandLine, EveryFormThatIsTakenGivesItsSettings) {
  const std::vector<Accepted> table = {
      {"", CommandMode::kDialog, "", false, false, true, false, false, false, ""},
      {"C:\\A\\R1|C:\\B\\R1", CommandMode::kUpgrade, "C:\\A\\R1|C:\\B\\R1", false, false, true,
       false, false, false, ""},
      // Split at blanks: the blanks stay inside the paths as given.
      {"C:\\A  B\\R1 | C:\\B\\R1", CommandMode::kUpgrade, "C:\\A  B\\R1 | C:\\B\\R1", false, false,
       true, false, false, false, ""},
      {"-n C:\\A|C:\\B", CommandMode::kUpgrade, "C:\\A|C:\\B", true, false, true, false, false,
       false, ""},
      {"--dry-run --format=json C:\\A|C:\\B", CommandMode::kUpgrade, "C:\\A|C:\\B", true, true,
       true, false, false, false, ""},
      {"C:\\A|C:\\B --dry-run --format=text", CommandMode::kUpgrade, "C:\\A|C:\\B", true, false,
       true, false, false, false, ""},
      {"--no-backup -q C:\\A|C:\\B", CommandMode::kUpgrade, "C:\\A|C:\\B", false, false, false,
       true, false, false, ""},
      {"--quiet C:\\A|C:\\B", CommandMode::kUpgrade, "C:\\A|C:\\B", false, false, true, true, false,
       false, ""},
      {"-v C:\\A|C:\\B", CommandMode::kUpgrade, "C:\\A|C:\\B", false, false, true, false, true,
       false, ""},
      {"--verbose C:\\A|C:\\B", CommandMode::kUpgrade, "C:\\A|C:\\B", false, false, true, false,
       true, false, ""},
      {"--summary-json \\tmp\\s.json C:\\A|C:\\B", CommandMode::kUpgrade, "C:\\A|C:\\B", false,
       false, true, false, false, false, "\\tmp\\s.json"},
      {"-n --summary-json=out.json C:\\A|C:\\B", CommandMode::kUpgrade, "C:\\A|C:\\B", true, false,
       true, false, false, false, "out.json"},
      // Quotation marks group and are removed; "/" is read as "\".
      {"\"C:\\A|C:\\B\"", CommandMode::kUpgrade, "C:\\A|C:\\B", false, false, true, false, false,
       false, ""},
      {"\"C:\\My  Old\\R1\"|\"C:\\New\\R1\"", CommandMode::kUpgrade, "C:\\My  Old\\R1|C:\\New\\R1",
       false, false, true, false, false, false, ""},
      {"C:/QVD/R1|C:/QVD/ROBOTER/QVD/R1", CommandMode::kUpgrade,
       "C:\\QVD\\R1|C:\\QVD\\ROBOTER\\QVD\\R1", false, false, true, false, false, false, ""},
      // After "--" and in quotation marks a word beginning with "-" is a path.
      {"-- -A|-B", CommandMode::kUpgrade, "-A|-B", false, false, true, false, false, false, ""},
      {"\"-A\"|C:\\B", CommandMode::kUpgrade, "-A|C:\\B", false, false, true, false, false, false,
       ""},
      {"C:\\A - B|C:\\B", CommandMode::kUpgrade, "C:\\A - B|C:\\B", false, false, true, false,
       false, false, ""},
      {"--rollback \\l\\Vantrel-backup-x", CommandMode::kRollback, "\\l\\Vantrel-backup-x", false,
       false, true, false, false, false, ""},
      {"--rollback C:\\L\\Vantrel-backup x --force", CommandMode::kRollback,
       "C:\\L\\Vantrel-backup x", false, false, true, false, false, true, ""},
      {"--force --rollback C:\\L\\B", CommandMode::kRollback, "C:\\L\\B", false, false, true, false,
       false, true, ""},
      {"-h", CommandMode::kHelp, "", false, false, true, false, false, false, ""},
      {"--help", CommandMode::kHelp, "", false, false, true, false, false, false, ""},
      {"--help --version", CommandMode::kHelp, "", false, false, true, false, false, false, ""},
      {"--bogus -h", CommandMode::kHelp, "", false, false, true, false, false, false, ""},
      {"--version", CommandMode::kVersion, "", false, false, true, false, false, false, ""},
  };
  for (const Accepted& row : table) {
    const CommandLine line = ParseCommandLine(row.text);
    EXPECT_EQ(line.mode, row.mode) << row.text << ": " << line.error;
    EXPECT_EQ(line.paths, row.paths) << row.text;
    EXPECT_EQ(line.dryRun, row.dryRun) << row.text;
    EXPECT_EQ(line.json, row.json) << row.text;
    EXPECT_EQ(line.keepBackup, row.keepBackup) << row.text;
    EXPECT_EQ(line.quiet, row.quiet) << row.text;
    EXPECT_EQ(line.verbose, row.verbose) << row.text;
    EXPECT_EQ(line.force, row.force) << row.text;
    EXPECT_EQ(line.summaryJson, row.summaryJson) << row.text;
  }
}

struct Refused {
  const char* text;
  const char* error;
};

const char* const kNoPair =
    "the installations must be given as SOURCE|DESTINATION, the two paths joined by |";

TEST(CommandLine, EveryMistakeIsOneLineAndNoRun) {
  const std::vector<Refused> table = {
      {"--bogus C:\\A|C:\\B", "unknown option --bogus (vantrel --help shows the usage)"},
      {"-x", "unknown option -x (vantrel --help shows the usage)"},
      {"-nq C:\\A|C:\\B", "unknown option -nq (vantrel --help shows the usage)"},
      {"C:\\A|C:\\B --format=xml", "unknown option --format=xml (vantrel --help shows the usage)"},
      // Told on one line: a line end in the word is shown by its code.
      {"--bo\ngus C:\\A|C:\\B", "unknown option --bo<0A>gus (vantrel --help shows the usage)"},
      {"C:\\A\\R1", kNoPair},
      {" ", kNoPair},
      {"-n", kNoPair},
      {"--quiet", kNoPair},
      {"C:\\A|C:\\B|C:\\C",
       "more than one | in the command line: give one pair SOURCE|DESTINATION"},
      {"C:\\A|C:\\B C:\\C|C:\\D",
       "more than one | in the command line: give one pair SOURCE|DESTINATION"},
      {"|C:\\B", "the source path before | is missing"},
      {" | ", "the source path before | is missing"},
      {"C:\\A|", "the destination path after | is missing"},
      {"--format=json C:\\A|C:\\B", "--format goes with --dry-run only"},
      {"-q -v C:\\A|C:\\B", "--quiet and --verbose exclude each other"},
      {"--version C:\\A|C:\\B", "--version takes no other argument"},
      {"--version --version", "--version takes no other argument"},
      {"--force C:\\A|C:\\B", "--force goes with --rollback only"},
      {"--summary-json", "--summary-json needs a file name"},
      {"--summary-json -n C:\\A|C:\\B", "--summary-json needs a file name"},
      {"--summary-json= C:\\A|C:\\B", "--summary-json needs a file name"},
      {"--rollback", "--rollback needs the backup folder"},
      {"--rollback \\l\\B --dry-run", "--dry-run cannot be used with --rollback"},
      {"--rollback \\l\\B --no-backup", "--no-backup cannot be used with --rollback"},
      {"--rollback \\l\\B --summary-json s.json", "--summary-json cannot be used with --rollback"},
      {"--rollback \\l\\B -v", "--quiet and --verbose cannot be used with --rollback"},
  };
  for (const Refused& row : table) {
    const CommandLine line = ParseCommandLine(row.text);
    EXPECT_EQ(line.mode, CommandMode::kMistake) << row.text;
    EXPECT_EQ(line.error, row.error) << row.text;
  }
}

}  // namespace
