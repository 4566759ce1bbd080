#pragma once
// What one run builds up and the next run must not inherit. RunUpgrade
// replaces it as a whole at its start, so that no value of an earlier run
// (an interactive user may start several) leaks into the next one.

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "core/file_reg.h"
#include "util/keyed_list.h"

// The system file in work: the relative paths being converted and the full
// paths of the pair that was found for them.
struct SystemFileInWork {
  std::string SourceFileName;
  std::string DestFileName;
  std::string FoundSourceFile;
  std::string FoundDestFile;
};

// What a run did, as its summary tells it: one verdict per system file,
// the user files by outcome, the counts of copies and of log lines by kind.
struct RunRecord {
  struct Verdict {
    std::string name;
    bool done = false;
    std::string why;  // why not, when not done
  };
  bool logOpened = false;
  // The run waited for another one in vain and ended before its log.
  bool locked = false;
  bool aborted = false;
  // What stopped the run between two steps; empty when nothing did.
  std::string stoppedBy;
  std::string lastError;  // the last "#" line, which an abort follows
  // The first "#" lines of the run, as the log has them, at most
  // kFirstErrorsKept.
  static constexpr std::size_t kFirstErrorsKept = 5;
  std::vector<std::string> firstErrors;
  // A failed start's cause in plain words, where its log line is not
  // plain about it; empty otherwise.
  std::string startCause;
  std::vector<Verdict> checks;  // the start and path checks, as far as the run got
  std::vector<Verdict> systemFiles;
  bool migrationRun = false;
  std::vector<int> migrationAxes;  // the external axes whose data is migrated
  std::vector<std::string> userFilesUpgraded;
  std::vector<std::string> userFilesUnchanged;  // their folds do not pair up
  std::vector<std::string> userFileFaults;      // the first fault line of each
  // The first "#" line since it was last cleared: the fault a check found.
  std::string firstError;
  int filesCopied = 0;
  // Starts of the exchange program that failed: a file one of whose steps
  // failed is not upgraded.
  int failedSteps = 0;
  std::vector<Verdict> listedFiles;  // the files vantrel.ini lists for copying
  int errors = 0;    // "#" lines
  int warnings = 0;  // "!" lines
  // The backup of the run: its folder (empty when none was made), why
  // there is none, and how many changes it refused because it could not
  // keep what they would change.
  std::string backupFolder;
  std::string backupProblem;
  std::size_t backupFailures = 0;
};

struct RunState {
  std::string FoldexPath;  // program folder + "\Foldex.exe"
  std::string UpgFolder;   // program folder + "\Vantrel\"

  // The log.
  std::string LogFilePath;
  int32_t ErrorCount = 0;

  SystemFileInWork SystemFile;

  // vantrel.ini.
  std::string IniFileName;
  KeyedList SystemFilesList;
  KeyedList FileNotToConvertList;
  KeyedList FileToCopyList;

  // User-file registries.
  CFileReg SrcFileReg;
  CFileReg DatFileReg;
  CFileReg SubFileReg;

  // Faults of the source tree that every walk of it meets again (an
  // unreadable folder, names that differ only in case): each is reported
  // once per run, so that it counts as one error.
  std::set<std::string> ReportedFaults;
  // Folders, upper-cased, already rid of stale temporary files in this run.
  std::set<std::string> CleanedFolders;

  RunRecord Record;
};
