#include "trees/attributes.h"

#include "core/carg.h"
#include "core/run_log.h"
#include "core/run_stopped.h"
#include "platform/platform.h"
#include "trees/tree_scanner.h"

namespace {

// A failure on one entry is logged and the others are still handled.
void TransferEntry(RunLog& log, const std::string& source, const std::string& destination) {
  if (!platform::Exists(destination)) return;
  int attributes = 0;
  if (platform::Status status = platform::GetAttributes(source, attributes); !status) {
    log.Log("# Can not read attributes: " + source + " : " + status.reason);
    return;
  }
  if (platform::Status status =
          platform::SetAttributes(destination, attributes & ~platform::kFolder);
      !status)
    log.Log("# Can not set attributes: " + destination + " : " + status.reason);
}

}  // namespace

void TransferTreeAttributes(RunLog& log, const std::string& source,
                            const std::string& destination) {
  if (!platform::Exists(source) || !platform::Exists(destination)) return;
  TreeCopy scanner(log);
  scanner.scanTree(source);
  scanner.rewindFileList();
  for (std::string entry = scanner.getNextFile(); !entry.empty();
       entry = scanner.getNextFile()) {
    StopIfRequested();
    TransferEntry(log, source + "\\" + entry, destination + "\\" + entry);
  }
}

void TransferAttributes(const TreeRun& run) {
  run.log.Log(".Transferring File/Folder Attributes");
  TransferTreeAttributes(run.log, run.arg.Source, run.arg.Dest);
}
