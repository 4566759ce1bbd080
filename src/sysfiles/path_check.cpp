#include "sysfiles/path_check.h"

#include <string>
#include <vector>

#include "core/context.h"
#include "platform/platform.h"
#include "trees/path_ops.h"

namespace {

struct FolderCheck {
  int box;             // the selection box that asks for the folder
  std::string tested;  // the folder looked for
  std::string named;   // the path the error line names
};

FolderCheck SystemFileCheck(int box, const std::string& root, const std::string& file) {
  std::string folder = ParentFolder(root + "\\" + file);
  return {box, folder, folder};
}

// In the order in which a missing folder is reported: each system file's
// folder in the source before the destination, then what the user files
// need.
std::vector<FolderCheck> NeededFolders(const Context& context) {
  const CArg& arg = context.Arg;
  const MainDialog& ui = context.UI;
  return {
      SystemFileCheck(ui.CONFIG_DAT, arg.Source, "System\\$CONFIG.DAT"),
      SystemFileCheck(ui.CONFIG_DAT, arg.Dest, "System\\$CONFIG.DAT"),
      SystemFileCheck(ui.SPS_SUB, arg.Source, "System\\SPS.SUB"),
      SystemFileCheck(ui.SPS_SUB, arg.Dest, "System\\SPS.SUB"),
      SystemFileCheck(ui.IR_STOPM_SRC, arg.Source, "System\\IR_STOPM.SRC"),
      SystemFileCheck(ui.IR_STOPM_SRC, arg.Dest, "System\\IR_STOPM.SRC"),
      {ui.Userfiles, arg.InTemplate("template"), arg.InTemplate("TEMPLATE")},
      {ui.Userfiles, arg.InSource("Program"), arg.InSource("Program")},
  };
}

}  // namespace

bool CheckInstallationPaths(Context& context) {
  for (const FolderCheck& check : NeededFolders(context)) {
    if (!MainDialog::Ticked(check.box) || platform::FolderExists(check.tested)) continue;
    context.Log("# Can not find path: " + check.named);
    return false;
  }
  return true;
}
