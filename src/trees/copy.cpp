#include "trees/copy.h"

#include "core/carg.h"
#include "core/run_log.h"
#include "platform/platform.h"
#include "trees/path_ops.h"
#include "trees/stale_files.h"
#include "util/strings.h"

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// The relative paths come from vantrel.ini, that is from outside: one that
// climbs out of the root, starts at a drive's root or names a drive would
// make the run write elsewhere than into the destination tree.
bool LeavesTree(const std::string& relativePath) {
  if (relativePath.empty() || IsSeparator(relativePath.front())) return true;
  if (relativePath.find(':') != std::string::npos) return true;
  std::size_t start = 0;
  while (start <= relativePath.size()) {
    std::size_t end = start;
    while (end < relativePath.size() && !IsSeparator(relativePath[end])) ++end;
    if (relativePath.compare(start, end - start, "..") == 0) return true;
    start = end + 1;
  }
  return false;
}

// The tree walk leaves out what the controller cannot name; a name from
// vantrel.ini is held to the same rule, so that a listed file is never
// copied where the walk would refuse it.
bool HoldsForeignName(const std::string& relativePath) {
  std::size_t start = 0;
  while (start <= relativePath.size()) {
    std::size_t end = relativePath.find_first_of("\\/", start);
    if (end == std::string::npos) end = relativePath.size();
    if (!util::IsControllerName(std::string_view(relativePath).substr(start, end - start)))
      return true;
    start = end + 1;
  }
  return false;
}

std::string CutEnd(const std::string& root, std::size_t count) {
  return root.size() > count ? root.substr(0, root.size() - count) : std::string();
}

// A target with more than one name may share its storage with the source
// (a destination made of hard links): changing it in place would change
// the old installation. The copy replaces the name only.
bool SharesStorage(const std::string& target) {
  platform::FileIdentity identity;
  return platform::GetFileIdentity(target, identity).ok && identity.links > 1;
}

// Copies onto an existing target even when it is read-only, hidden or
// system; a failed copy gives the old target its attributes back.
platform::Status Replace(const std::string& source, const std::string& target) {
  int oldAttributes = 0;
  bool existed = platform::FileExists(target) && !SharesStorage(target) &&
                 platform::GetAttributes(target, oldAttributes).ok;
  if (existed) {
    if (platform::Status status = platform::SetAttributes(target, 0); !status) return status;
  }
  platform::Status status = platform::CopyFileAtomic(source, target);
  if (!status && existed) platform::SetAttributes(target, oldAttributes);
  return status;
}

bool CopyBetweenRoots(const TreeRun& run, const std::string& sourceRoot,
                      const std::string& destRoot, const std::string& relativePath) {
  if (LeavesTree(relativePath)) {
    run.log.Log("# " + relativePath + " : path leaves the installation tree, not copied");
    return false;
  }
  if (HoldsForeignName(relativePath)) {
    run.log.Log("! " + util::Printable(relativePath) +
                " : name not allowed on the controller, not copied");
    return false;
  }
  const std::string sourcePath = sourceRoot + "\\" + relativePath;
  const std::string destPath = destRoot + "\\" + relativePath;
  if (!platform::Exists(sourcePath)) {
    run.log.Log("! " + relativePath + " SourceFile does not exist!");
    return false;
  }
  const std::string folder = ParentFolder(destPath);
  if (!platform::FolderExists(folder)) {
    MakePath(run.log, folder);
    if (!platform::FolderExists(folder)) {
      run.log.Log("# " + folder + " : Target directory does not exist!");
      return false;
    }
  }
  RemoveStaleTempFilesOnce(run, folder);
  if (platform::Status status = Replace(sourcePath, destPath); !status) {
    run.log.Log("# Can not copy " + sourcePath + " to " + destPath + " : " + status.reason);
    return false;
  }
  run.log.Log("." + relativePath + " copied from " + sourcePath + " to " + destPath);
  return true;
}

}  // namespace

bool CopyTreeFile(const TreeRun& run, const std::string& relativePath) {
  return CopyBetweenRoots(run, run.arg.Source, run.arg.Dest, relativePath);
}

bool CopyParentTreeFile(const TreeRun& run, const std::string& relativePath) {
  // The roots are the R1 folders; STEU lies beside them.
  std::string sourceRoot = CutEnd(run.arg.Source, 3);
  std::string destRoot = CutEnd(run.arg.Dest, 3);
  // An empty root would turn the path into one from the top of the host.
  if (sourceRoot.empty() || destRoot.empty()) {
    run.log.Log("# " + relativePath + " : no folder above the installation paths, not copied");
    return false;
  }
  return CopyBetweenRoots(run, sourceRoot, destRoot, relativePath);
}
