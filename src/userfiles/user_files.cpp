#include "userfiles/user_files.h"

#include <algorithm>
#include <cstddef>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/context.h"
#include "core/guard.h"
#include "platform/platform.h"
#include "sysfiles/exchange_steps.h"
#include "trees/copy.h"
#include "trees/path_ops.h"
#include "trees/stale_files.h"
#include "core/file_reg.h"
#include "userfiles/fold_check.h"
#include "util/path_text.h"
#include "util/strings.h"

namespace {

const std::string kSrcTemplate = "Template\\Vorgabe.src";
const std::string kDatTemplate = "Template\\Vorgabe.dat";

bool TemplatesPresent(const Context& context) {
  return platform::Exists(context.Arg.InTemplate(kSrcTemplate)) &&
         platform::Exists(context.Arg.InTemplate(kDatTemplate));
}

void ReportMissingTemplates(Context& context) {
  const std::string both =
      context.Arg.InTemplate(kSrcTemplate) + " OR " + context.Arg.InTemplate(kDatTemplate);
  context.Log("# File not found:" + both);
  if (!context.BatchMode) context.ShowMessage("File not found:" + both, MessageIcon::kCritical);
  context.Log("# USER Files not converted !!!");
}

void RegisterUserFiles(Context& context) {
  const std::string& source = context.Arg.Source;
  context.SrcFileReg.findFilesToConvert(context, source, "src");
  context.DatFileReg.findFilesToConvert(context, source, "dat");
  context.SubFileReg.findFilesToConvert(context, source, "sub");
}

void ListRegistry(Context& context, const CFileReg& registry, const std::string& kindName,
                  const std::string& entryText) {
  const std::vector<std::string>& files = registry.FilesToCopy();
  context.Log(".UserFiles (" + kindName + ") found to upgrade: " + std::to_string(files.size()));
  for (std::size_t i = 0; i < files.size(); ++i)
    context.Log("." + std::to_string(i + 1) + entryText + files[i]);
}

void ListUserFiles(Context& context) {
  ListRegistry(context, context.SrcFileReg, "SRC", ".SRC-File to upgrade :");
  ListRegistry(context, context.DatFileReg, "DAT", ".DAT-File to upgrade:");
  ListRegistry(context, context.SubFileReg, "SUB", ".SUB-File to upgrade:");
}

void ConvertAllKinds(Context& context) {
  context.StdForm.Done = 0;
  context.StdForm.Total = static_cast<int>(context.SrcFileReg.FilesToCopy().size() +
                                           context.DatFileReg.FilesToCopy().size() +
                                           context.SubFileReg.FilesToCopy().size());
  ConvertRegisteredFiles(context, context.SrcFileReg, "Src");
  context.StdForm.Value = 400;
  ConvertRegisteredFiles(context, context.DatFileReg, "Dat");
  context.StdForm.Value = 600;
  ConvertRegisteredFiles(context, context.SubFileReg, "Sub");
  context.StdForm.Value = 800;
}

// A file whose folds do not pair up cannot take the template's folds; it
// reaches the new tree as it is, through the same atomic copy as the rest,
// so a failed copy leaves the old destination file intact.
void CopyUnchanged(Context& context, const std::string& file) {
  context.Record.userFilesUnchanged.push_back(file);
  context.Record.userFileFaults.push_back(context.Record.firstError);
  const std::string target = context.Arg.InDest(file);
  MakePath(context, ParentFolder(target));
  RemoveStaleTempFilesOnce(context, ParentFolder(target));
  const std::string source = context.Arg.InSource(file);
  if (platform::Status status = platform::CopyFileAtomic(source, target); !status)
    context.Log("# ERROR: can not copy " + source + " to " + target + ": " + status.reason);
}

void ConvertOneFile(Context& context, const std::string& file, const std::string& kind) {
  context.Record.firstError.clear();
  switch (CheckUserFile(context, file)) {
    case FoldCheck::kBalanced: return UpgradeUserFile(context, file, kind);
    case FoldCheck::kFaulty: return CopyUnchanged(context, file);
    case FoldCheck::kUnreadable: return;  // its error line is written
  }
}

}  // namespace

void ConvertUserFiles(Context& context) {
  if (TemplatesPresent(context)) {
    RegisterUserFiles(context);
    context.StdForm.Value = 100;
    ListUserFiles(context);
    ConvertAllKinds(context);
  } else {
    ReportMissingTemplates(context);
  }
  context.StdForm.Total = 0;
  if (!context.BatchMode) context.StdForm.Hide();
}

namespace {

// Files told to the run's backup in one go.
constexpr std::size_t kAnnouncedAtOnce = 256;

// The folders the copy of a file into folder will create, outermost
// first, each told once.
void AnnounceMissingFolders(const std::string& folder, std::unordered_set<std::string>& told,
                            std::vector<platform::AnnouncedChange>& changes) {
  std::vector<std::string> missing;
  for (std::string at = folder; LastBackslashPos(at) > 0 && told.insert(util::Upper(at)).second &&
                                !platform::Exists(at);
       at = ParentFolder(at))
    missing.push_back(at);
  for (auto at = missing.rbegin(); at != missing.rend(); ++at)
    changes.push_back({*at, platform::Change::kNewFolder});
}

// The backup learns of the next files' copies before the first of them
// is made: one wait for the disk for all of them instead of one for each.
void AnnounceCopies(const Context& context, const std::vector<std::string>& files,
                    std::size_t from) {
  std::vector<platform::AnnouncedChange> changes;
  std::unordered_set<std::string> folders;
  for (std::size_t i = from; i < std::min(files.size(), from + kAnnouncedAtOnce); ++i) {
    const std::string target = context.Arg.InDest(files[i]);
    AnnounceMissingFolders(ParentFolder(target), folders, changes);
    changes.push_back({target, platform::Change::kReplace});
  }
  platform::AnnounceChanges(changes);
}

}  // namespace

// One file's trouble is reported on its own line and the next file is
// handled all the same.
void ConvertRegisteredFiles(Context& context, CFileReg& registry, const std::string& kind) {
  const std::vector<std::string>& files = registry.FilesToCopy();
  const std::size_t count = files.size();
  for (std::size_t i = 0; i < count; ++i) {
    const std::string& file = files[i];
    if (i % kAnnouncedAtOnce == 0) AnnounceCopies(context, files, i);
    ++context.StdForm.Done;
    Guarded(context, "Upgrading the user file " + file,
            [&] { ConvertOneFile(context, file, kind); });
  }
}

namespace {
// The exchange of the template's folds into the copy.
void UpgradeCopiedFile(Context &context, const std::string &file,
                       const std::string &kind) {
  const std::string upperKind = util::Upper(kind);
  if (upperKind == "SRC")
    UpgradeFromVorgabeSrc(context, kSrcTemplate, file);
  else if (upperKind == "DAT")
    UpgradeFromVorgabeDat(context, kDatTemplate, file);
  else if (upperKind == "SUB")
    context.Log(". No upgrade .SUB- File:, " + file);
}
} // namespace

void UpgradeUserFile(Context &context, const std::string &file,
                     const std::string &kind) {
  context.Log(".UpgradeUserFile " + context.Arg.InSource(file));
  context.Log(".Copy file from SourceDir  to DestinationDir");
  context.StdForm.Information =
      "Upgrade user files " + context.Arg.InDest(file);
  context.StdForm.Refresh();
  const bool copied = CopyTreeFile(context, file);
  const int failedBefore = context.Record.failedSteps;
  UpgradeCopiedFile(context, file, kind);
  // A file whose copy or exchange failed is no upgraded file.
  if (copied && context.Record.failedSteps == failedBefore)
    context.Record.userFilesUpgraded.push_back(file);
}
