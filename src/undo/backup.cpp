#include "undo/backup.h"

#include <algorithm>

#include "util/path_text.h"
#include "util/sha256.h"
#include "util/strings.h"

namespace {

const std::string kBackupPrefix = "Vantrel-backup-";

std::string FolderKey(const std::string& folder) {
  std::string key = util::Upper(folder);
  if (key.empty() || key.back() != '\\') key += '\\';
  return key;
}

std::string WithoutTrailingBackslash(std::string folder) {
  while (folder.size() > 2 && folder.back() == '\\') folder.pop_back();
  return folder;
}

// "files\000001" and on: six digits at least, more where needed.
std::string KeptName(std::size_t number) {
  std::string digits = std::to_string(number);
  if (digits.size() < 6) digits.insert(0, 6 - digits.size(), '0');
  return "files\\" + digits;
}

// The state of a file at the end of the run.
void NoteAfter(ManifestEntry& entry) {
  entry.afterKnown = true;
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

RunBackup::RunBackup(const std::string& scope, std::string folder, std::string start)
    : scope_(FolderKey(scope)),
      root_(WithoutTrailingBackslash(scope)),
      folder_(std::move(folder)),
      folderKey_(FolderKey(folder_)),
      start_(std::move(start)) {}

// The journal's name must be on the disk too: a journal written to a file
// that has lost its name after a power cut helps no one.
platform::Status RunBackup::Start() {
  if (start_.empty()) start_ = platform::StampText();
  if (platform::Status status = platform::CreateFolder(folder_); !status) return status;
  if (platform::Status status = platform::CreateFolder(folder_ + "\\files"); !status)
    return status;
  if (platform::Status status = journal_.Create(folder_ + "\\" + kManifestFileName); !status)
    return status;
  written_ = JournalHeaderText({root_, start_});
  if (platform::Status status = journal_.Append(written_); !status) return status;
  if (platform::Status status = journal_.Sync(); !status) return status;
  if (platform::Status status = platform::MakeFolderDurable(folder_); !status) return status;
  // And the backup folder's own name, in the log folder.
  if (platform::Status status = platform::MakeFolderDurable(ParentFolder(folder_)); !status)
    return status;
  started_ = true;
  return platform::Status::Ok();
}

bool RunBackup::InScope(const std::string& path) const {
  const std::string key = util::Upper(path);
  return key.size() > scope_.size() && key.compare(0, scope_.size(), scope_) == 0 &&
         key.compare(0, folderKey_.size(), folderKey_) != 0;
}

platform::Status RunBackup::BeforeChange(const std::string& path, platform::Change change,
                                         int attributes) {
  if (!InScope(path)) return platform::Status::Ok();
  if (!started_ || finished_) return Refuse(path, platform::Status::Fail("no backup is open"));
  auto known = index_.find(util::Upper(path));
  if (known == index_.end()) return FirstChange(path, change, attributes);
  ManifestEntry& entry = entries_[known->second];
  // Attributes were changed first; now the bytes are about to change too.
  if (entry.action != BackupAction::kAttributes || change == platform::Change::kAttributes ||
      (entry.attributesBefore & platform::kFolder))
    return platform::Status::Ok();
  ManifestEntry changed = entry;
  if (platform::Status status = Keep(changed, change); !status) return Refuse(path, status);
  if (platform::Status status = Record(changed); !status) return Refuse(path, status);
  entry = std::move(changed);
  return platform::Status::Ok();
}

// Each change told ahead is kept and journalled as at its first change,
// and all of it is put on the disk at once. What cannot be kept now is
// tried again, and refused then, when the change comes.
void RunBackup::BeforeChanges(const std::vector<platform::AnnouncedChange>& changes) {
  if (!started_ || finished_) return;
  const bool each = durableEachChange_;
  durableEachChange_ = false;
  announcing_ = true;
  for (const platform::AnnouncedChange& change : changes)
    if (InScope(change.path) && !index_.count(util::Upper(change.path)))
      FirstChange(change.path, change.change, 0);
  announcing_ = false;
  durableEachChange_ = each;
  MakeDurable();
}

platform::Status RunBackup::FirstChange(const std::string& path, platform::Change change,
                                        int attributes) {
  using platform::Change;
  ManifestEntry entry;
  entry.path = path;
  int before = 0;
  if (!platform::Exists(path) || !platform::GetAttributes(path, before)) {
    // A removal or attributes of nothing fail: nothing to keep.
    if (change == Change::kRemoval || change == Change::kAttributes)
      return platform::Status::Ok();
    entry.action = change == Change::kNewFolder ? BackupAction::kCreatedFolder
                                                : BackupAction::kCreated;
  } else {
    if (change == Change::kNewFolder) return platform::Status::Ok();  // fails: it is there
    entry.attributesBefore = before;
    if (change == Change::kAttributes) {
      if ((before & platform::kSettable) == (attributes & platform::kSettable))
        return platform::Status::Ok();
      entry.action = BackupAction::kAttributes;
    } else if (before & platform::kFolder) {
      return platform::Status::Ok();  // a folder's bytes are not written
    } else if (platform::Status status = Keep(entry, change); !status) {
      return Refuse(path, status);
    }
  }
  if (platform::Status status = Record(entry); !status) return Refuse(path, status);
  index_.emplace(util::Upper(path), entries_.size());
  entries_.push_back(std::move(entry));
  return platform::Status::Ok();
}

// Only an ordinary file is kept: a FIFO or a device has no bytes to keep,
// and a second name for one would hang whoever reads it later.
platform::Status RunBackup::Keep(ManifestEntry& entry, platform::Change change) {
  platform::FileBytes bytes;
  if (platform::Status status = bytes.Open(entry.path); !status) return status;
  const std::string name = KeptName(keptFiles_ + 1);
  const std::string kept = folder_ + "\\" + name;
  // A second name keeps the bytes for free while the file is replaced by
  // a rename or removed; another program may write the file in place.
  const bool linkable = change != platform::Change::kInPlace;
  if (linkable && platform::AddHardLink(entry.path, kept)) {
    linksPending_ = true;
  } else if (platform::Status status = platform::CopyFileAtomic(entry.path, kept); !status) {
    return status;
  }
  ++keptFiles_;
  entry.action = BackupAction::kChanged;
  entry.kept = name;
  entry.keptSha256 = util::Sha256Hex(bytes.bytes());
  return platform::Status::Ok();
}

platform::Status RunBackup::Record(const ManifestEntry& entry) {
  const std::string line = JournalEntryLine(entry);
  if (platform::Status status = journal_.Append(line); !status) return status;
  written_ += line;
  pending_ = true;
  return durableEachChange_ ? MakeDurable() : platform::Status::Ok();
}

platform::Status RunBackup::Refuse(const std::string& path, const platform::Status& why) {
  if (announcing_) return why;
  ++refused_;
  if (tellRefusal_) tellRefusal_(path, why.reason);
  return platform::Status::Fail("the backup cannot keep it: " + why.reason);
}

platform::Status RunBackup::MakeDurable() {
  if (pending_) {
    if (platform::Status status = journal_.Sync(); !status) return status;
    pending_ = false;
  }
  if (linksPending_) {
    if (platform::Status status = platform::MakeFolderDurable(folder_ + "\\files"); !status)
      return status;
    linksPending_ = false;
  }
  return platform::Status::Ok();
}

platform::Status RunBackup::Finish() {
  if (finished_) return platform::Status::Ok();
  if (!started_) return platform::Status::Fail("not started");
  finished_ = true;
  // The end record tells of the state the run left: it must not reach the
  // disk before that state.
  platform::Status durable = platform::MakeChangesDurable();
  std::string tail;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    NoteAfter(entries_[i]);
    tail += JournalAfterLine(i + 1, entries_[i]);
  }
  tail += JournalEndLine(entries_.size(), written_ + tail);
  platform::Status status = journal_.Append(tail);
  if (status) {
    written_ += tail;
    status = journal_.Sync();
  }
  journal_.Close();
  return durable ? status : durable;
}

std::string BackupFolderFor(const std::string& logFile) {
  const std::string base = ParentFolder(logFile) + "\\" + kBackupPrefix + platform::StampText();
  std::string folder = base;
  for (int number = 2; platform::Exists(folder); ++number)
    folder = base + "-" + std::to_string(number);
  return folder;
}

std::optional<std::string> CutOffBackup(const std::string& logFolder) {
  std::vector<platform::DirEntry> names;
  if (!platform::ListFolder(logFolder, names, platform::ListDetail::kKinds)) return std::nullopt;
  std::string last;
  for (const platform::DirEntry& entry : names)
    if ((entry.attributes & platform::kFolder) && !entry.link &&
        util::Upper(entry.name).rfind(util::Upper(kBackupPrefix), 0) == 0 && entry.name > last)
      last = entry.name;
  if (last.empty()) return std::nullopt;
  const std::string folder = logFolder + "\\" + last;
  std::string text, fault;
  Journal journal;
  if (!platform::ReadFileBytes(folder + "\\" + kManifestFileName, text) ||
      !ParseJournal(text, journal, fault) || !journal.cutOff || journal.entries.empty())
    return std::nullopt;
  return folder;
}
