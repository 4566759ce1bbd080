#include "sysfiles/exchange.h"

#include "app/context.h"
#include "platform/platform.h"
#include "trees/path_ops.h"
#include "util/strings.h"

// The exchange program belongs to the controller and may end with codes of
// its own, so a non-zero code is worth a warning but is no error of the run.
// A start that fails means nothing was exchanged: that is an error.
int32_t RunAndWait(Context& context, const std::string& arguments) {
  const std::string commandLine = context.FoldexPath + " " + arguments;
  context.FlushLog();
  platform::RunResult result = platform::RunAndWait(context.FoldexPath, arguments);
  if (!result.started) {
    context.Log("# Can not start: " + commandLine + " (" + result.reason + ")");
    return -1;
  }
  if (result.exitCode != 0) {
    context.Log("! Foldex.exe ended with exit code " + std::to_string(result.exitCode) + ": " +
                commandLine);
    // A program that was killed may have left a finished temporary file
    // beside the file it wrote or in the control folder.
    std::string target = util::Trim(arguments.substr(0, arguments.find('|')));
    platform::RemoveStaleTempFiles(ParentFolder(target));
    platform::RemoveStaleTempFiles(context.UpgFolder);
  }
  return result.exitCode;
}
