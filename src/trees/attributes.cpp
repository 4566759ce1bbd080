#include "trees/attributes.h"

#include "core/context.h"
#include "core/run_stopped.h"
#include "platform/platform.h"
#include "trees/tree_scanner.h"

namespace {

// A failure on one entry is logged and the others are still handled.
void TransferEntry(Context& context, const std::string& source, const std::string& destination) {
  if (!platform::Exists(destination)) return;
  int attributes = 0;
  if (platform::Status status = platform::GetAttributes(source, attributes); !status) {
    context.Log("# Can not read attributes: " + source + " : " + status.reason);
    return;
  }
  if (platform::Status status =
          platform::SetAttributes(destination, attributes & ~platform::kFolder);
      !status)
    context.Log("# Can not set attributes: " + destination + " : " + status.reason);
}

}  // namespace

void TransferTreeAttributes(Context& context, const std::string& source,
                            const std::string& destination) {
  if (!platform::Exists(source) || !platform::Exists(destination)) return;
  TreeCopy scanner(context);
  scanner.scanTree(source);
  scanner.rewindFileList();
  for (std::string entry = scanner.getNextFile(); !entry.empty();
       entry = scanner.getNextFile()) {
    StopIfRequested();
    TransferEntry(context, source + "\\" + entry, destination + "\\" + entry);
  }
}

void TransferAttributes(Context& context) {
  context.Log(".Transferring File/Folder Attributes");
  TransferTreeAttributes(context, context.Arg.Source, context.Arg.Dest);
}
