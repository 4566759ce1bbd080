#include "core/file_reg.h"

#include <string>

#include "core/context.h"
#include "trees/path_ops.h"
#include "trees/tree_scanner.h"
#include "util/strings.h"

namespace {

// A file the control ini file names anywhere is taken care of elsewhere in
// the run: upgraded as a system file, only copied, or left alone.
bool NamedInIni(const Context& context, const std::string& relativePath) {
  std::string name = util::Upper(FileNamePart(relativePath));
  std::string path = util::Upper(relativePath);
  return context.SystemFilesList.Contains(name) || context.FileToCopyList.Contains(name) ||
         context.FileToCopyList.Contains(path) || context.FileNotToConvertList.Contains(name);
}

}  // namespace

void CFileReg::findFilesToConvert(Context& context, const std::string& path,
                                  const std::string& ext) {
  TreeTool scanner(context);
  scanner.noMada();
  scanner.noTP();
  scanner.setExtensionFilter(ext);
  scanner.scanTree(path);
  scanner.rewindFileList();
  for (current_ = scanner.getNextFile(); !current_.empty(); current_ = scanner.getNextFile()) {
    if (NamedInIni(context, current_)) continue;
    files_.push_back(current_);
    context.Log("." + std::to_string(files_.size()) + "." + ext +
                " file found to upgrade: " + current_);
  }
}
