#pragma once
// What one run builds up and the next run must not inherit. RunUpgrade
// replaces it as a whole at its start, so that no value of an earlier run
// (an interactive user may start several) leaks into the next one.

#include <cstdint>
#include <set>
#include <string>

#include "sysfiles/keyed_list.h"
#include "userfiles/file_reg.h"

// The system file in work: the relative paths being converted and the full
// paths of the pair that was found for them.
struct SystemFileInWork {
  std::string SourceFileName;
  std::string DestFileName;
  std::string FoundSourceFile;
  std::string FoundDestFile;
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
};
