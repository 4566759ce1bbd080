// The 5.x to 6.x check and migration on three arbitrary texts: the source
// and destination $CONFIG.DAT and the source $machine.dat. The generated
// control file must hold only the declarations the migration makes, one a
// line, and applying it in-process must not break the destination's folds.

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>
#include <vector>

#include "config56/upg_file.h"
#include "config56/version_check.h"
#include "foldex.h"
#include "folds.h"
#include "support/harness.h"
#include "text.h"

namespace {

const std::string kProgram = "C:\\Prog";
const std::string kSourceConfig = "C:\\Old\\R1\\System\\$CONFIG.DAT";
const std::string kDestConfig = "C:\\New\\R1\\System\\$CONFIG.DAT";
const std::string kMachineData = "C:\\Old\\R1\\Mada\\$machine.dat";

bool FoldsPairUp(const std::string& bytes) {
  return foldex::ParseFolds(bytes, foldex::SplitLines(bytes)).faults.empty();
}

bool IsGeneratedDeclaration(std::string_view line) {
  for (const char* start : {"INT MAX_BASE=32", "DECL FDAT FDEFAULT=", "DECL FDAT FHOME=",
                            "BASE_DATA[", "BASE_NAME[", "BASE_TYPE[", "MACHINE_DEF[",
                            "MACHINE_FRAME_DAT["}) {
    if (line.substr(0, std::string_view(start).size()) == start) return true;
  }
  return false;
}

void CheckControlFile(const std::string& text) {
  const std::vector<foldex::Line> lines = foldex::SplitLines(text);
  fuzzing::Expect(lines.size() >= 2, "the control file lacks its header");
  for (std::size_t i = 2; i < lines.size(); ++i) {
    const std::string_view line = foldex::TextOf(text, lines[i]);
    fuzzing::Expect(foldex::BreakOf(text, lines[i]) == "\r\n",
                    "a control-file line does not end with CR LF");
    fuzzing::Expect(IsGeneratedDeclaration(line),
                    "the control file holds a line the migration does not make: " +
                        std::string(line));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string source = input.ConsumeRandomLengthString(size);
  const std::string dest = input.ConsumeRandomLengthString(size);
  const std::string machine = input.ConsumeRemainingBytesAsString();
  fuzzing::Put(kSourceConfig, source);
  fuzzing::Put(kDestConfig, dest);
  fuzzing::Put(kMachineData, machine);
  fuzzing::Put(kProgram + "\\VANTREL\\Placeholder.upg", "");

  fuzzing::MemoryContext run;
  run.context.ProgramFolder = kProgram;
  run.context.UpgFolder = kProgram + "\\VANTREL\\";
  // No exchange program: the harness applies the control file in-process.
  run.context.FoldexPath = kProgram + "\\Missing.exe";
  run.context.Arg.Source = "C:\\Old\\R1";
  run.context.Arg.Dest = "C:\\New\\R1";
  run.context.SystemFile.SourceFileName = run.context.SystemFile.DestFileName = "System\\$CONFIG.DAT";
  run.context.SystemFile.FoundSourceFile = run.context.SystemFile.FoundDestFile = "System\\$CONFIG.DAT";
  const std::string upg = UpgFilePath(run.context);
  fuzzing::Remove(upg);

  CheckConfigVersion(run.context);
  const std::string control = fuzzing::Get(upg);
  if (control.empty()) return 0;
  CheckControlFile(control);

  const std::string before = fuzzing::Get(kDestConfig);
  foldex::Problems problems;
  foldex::Run(kDestConfig + " | " + upg + "/DAT", problems);
  if (FoldsPairUp(before))
    fuzzing::Expect(FoldsPairUp(fuzzing::Get(kDestConfig)), "the migration broke the folds");
  return 0;
}
