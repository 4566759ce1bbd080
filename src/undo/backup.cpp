#include "undo/backup.h"

#include "util/path_text.h"
#include "util/sha256.h"
#include "util/strings.h"

namespace {

std::string FolderKey(const std::string& folder) {
  std::string key = util::Upper(folder);
  if (key.empty() || key.back() != '\\') key += '\\';
  return key;
}

// "files\000001" and on: six digits at least, more where needed.
std::string KeptName(std::size_t number) {
  std::string digits = std::to_string(number);
  if (digits.size() < 6) digits.insert(0, 6 - digits.size(), '0');
  return "files\\" + digits;
}

// The state of a file at the end of the run.
void NoteAfter(ManifestEntry& entry) {
  entry.presentAfter = false;
  entry.sizeAfter = 0;
  entry.sha256After.clear();
  if (entry.action == BackupAction::kCreatedFolder || !platform::FileExists(entry.path)) return;
  platform::FileBytes bytes;
  if (!bytes.Open(entry.path)) return;
  entry.presentAfter = true;
  entry.sizeAfter = bytes.bytes().size();
  entry.sha256After = util::Sha256Hex(bytes.bytes());
}

}  // namespace

RunBackup::RunBackup(const std::string& scope, std::string folder)
    : scope_(FolderKey(scope)), folder_(std::move(folder)), folderKey_(FolderKey(folder_)) {}

platform::Status RunBackup::Start() {
  if (platform::Status status = platform::CreateFolder(folder_); !status) return status;
  if (platform::Status status = platform::CreateFolder(folder_ + "\\files"); !status)
    return status;
  started_ = true;
  return platform::Status::Ok();
}

bool RunBackup::InScope(const std::string& path) const {
  const std::string key = util::Upper(path);
  return key.size() > scope_.size() && key.compare(0, scope_.size(), scope_) == 0 &&
         key.compare(0, folderKey_.size(), folderKey_) != 0;
}

void RunBackup::BeforeChange(const std::string& path, platform::Change change, int attributes) {
  if (!started_ || !InScope(path)) return;
  auto known = index_.find(util::Upper(path));
  if (known == index_.end()) return FirstChange(path, change, attributes);
  ManifestEntry& entry = entries_[known->second];
  // Attributes were changed first; now the bytes are about to change too.
  if (entry.action == BackupAction::kAttributes && change != platform::Change::kAttributes &&
      !(entry.attributesBefore & platform::kFolder))
    Keep(entry, change);
}

void RunBackup::FirstChange(const std::string& path, platform::Change change, int attributes) {
  using platform::Change;
  ManifestEntry entry;
  entry.path = path;
  int before = 0;
  if (!platform::Exists(path) || !platform::GetAttributes(path, before)) {
    // A removal or attributes of nothing fail: nothing to keep.
    if (change == Change::kRemoval || change == Change::kAttributes) return;
    entry.action = change == Change::kNewFolder ? BackupAction::kCreatedFolder
                                                : BackupAction::kCreated;
  } else {
    if (change == Change::kNewFolder) return;  // fails: it is there
    entry.attributesBefore = before;
    if (change == Change::kAttributes) {
      if ((before & platform::kSettable) == (attributes & platform::kSettable)) return;
      entry.action = BackupAction::kAttributes;
    } else if (before & platform::kFolder) {
      return;  // a folder's bytes are not written
    } else {
      Keep(entry, change);
    }
  }
  index_.emplace(util::Upper(path), entries_.size());
  entries_.push_back(std::move(entry));
}

void RunBackup::Keep(ManifestEntry& entry, platform::Change change) {
  entry.action = BackupAction::kChanged;
  const std::string name = KeptName(++keptFiles_);
  const std::string kept = folder_ + "\\" + name;
  // A second name keeps the bytes for free while the file is replaced by
  // a rename or removed; another program may write the file in place.
  const bool linkable = change != platform::Change::kInPlace;
  if ((linkable && platform::AddHardLink(entry.path, kept)) ||
      platform::CopyFileAtomic(entry.path, kept)) {
    entry.kept = name;
  } else {
    ++failures_;
  }
}

platform::Status RunBackup::Finish() {
  if (!started_) return platform::Status::Fail("not started");
  for (ManifestEntry& entry : entries_) NoteAfter(entry);
  return platform::WriteFileAtomic(folder_ + "\\" + kManifestFileName, ManifestText(entries_));
}

std::string BackupFolderFor(const std::string& logFile) {
  const std::string base = ParentFolder(logFile) + "\\Vantrel-backup-" + platform::StampText();
  std::string folder = base;
  for (int number = 2; platform::Exists(folder); ++number)
    folder = base + "-" + std::to_string(number);
  return folder;
}
