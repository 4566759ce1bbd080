// vantrel.ini on arbitrary bytes: every entry taken is a usable one and is
// named in the log with its section's words.

#include <algorithm>
#include <cstdint>
#include <string>

#include "support/harness.h"
#include "sysfiles/ini_file.h"
#include "util/strings.h"

namespace {

void CheckList(const fuzzing::MemoryContext& run, const KeyedList& list, const char* suffix,
               bool fileNames) {
  for (std::size_t i = 1; i <= list.Count(); ++i) {
    const std::string& entry = list.Item(i);
    fuzzing::Expect(entry.find_first_of(";[]") == std::string::npos,
                    "a comment or marker became an entry: " + entry);
    fuzzing::Expect(!fileNames || entry == "\\" || entry.find('\\') == std::string::npos,
                    "a file-name entry keeps its folder: " + entry);
    // The log shows a control character by its code.
    const std::string line = util::Printable(".  " + entry + suffix);
    fuzzing::Expect(std::find(run.log.lines.begin(), run.log.lines.end(), line) !=
                        run.log.lines.end(),
                    "an entry is not in the log: " + entry);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  fuzzing::Put("C:\\Prog\\vantrel.ini",
               std::string_view(reinterpret_cast<const char*>(data), size));
  fuzzing::MemoryContext run;
  ReadNegativeList(run.context, "C:\\Prog\\");
  CheckList(run, run.context.SystemFilesList, " :will be upgradet separately", true);
  CheckList(run, run.context.FileNotToConvertList,
            " :will not be upgradet and not copied into Dest.File", true);
  CheckList(run, run.context.FileToCopyList, " :will be only copied into Dest.File", false);
  fuzzing::Expect(run.log.lines.back() == ". +++ End analysing INI-file: C:\\Prog\\vantrel.ini",
                  "the analysis did not end");
  return 0;
}
