#include "undo/rollback.h"

#include <cstddef>
#include <unordered_set>
#include <vector>

#include "platform/platform.h"
#include "undo/manifest.h"
#include "util/path_text.h"
#include "util/sha256.h"
#include "util/strings.h"

namespace {

// The size and SHA-256 of an ordinary file that is no link; false for
// anything else.
bool HashOf(const std::string& path, std::string& sha256, uint64_t& size) {
  platform::FileBytes bytes;
  if (platform::IsSymbolicLink(path) || !platform::FileExists(path) || !bytes.Open(path))
    return false;
  size = bytes.bytes().size();
  sha256 = util::Sha256Hex(bytes.bytes());
  return true;
}

bool HashIs(const std::string& path, const std::string& sha256) {
  std::string actual;
  uint64_t size = 0;
  return HashOf(path, actual, size) && actual == sha256;
}

// The file is as the run left it: the same bytes, or gone as it was gone.
// Without the state at the end (a run cut off) it cannot be told: taken
// as left.
bool AsLeft(const ManifestEntry& entry) {
  if (!entry.afterKnown) return true;
  if (!entry.presentAfter) return !platform::Exists(entry.path);
  std::string sha256;
  uint64_t size = 0;
  return HashOf(entry.path, sha256, size) && size == entry.sizeAfter &&
         sha256 == entry.sha256After;
}

// Every entry's way from the root, root included, is free of symbolic
// links: a link put there since the run would carry a restore elsewhere.
bool FirstLinkOnTheWay(const Journal& journal, const std::string& folder, std::string& link) {
  std::unordered_set<std::string> seen;
  auto isLink = [&](const std::string& path) {
    if (!seen.insert(util::Upper(path)).second || !platform::IsSymbolicLink(path)) return false;
    link = path;
    return true;
  };
  if (isLink(folder + "\\files")) return true;
  const std::string& root = journal.header.root;
  if (root.size() > 2 && isLink(root)) return true;
  for (const ManifestEntry& entry : journal.entries) {
    for (std::size_t slash = entry.path.find('\\', root.size() + 1);;
         slash = entry.path.find('\\', slash + 1)) {
      if (isLink(entry.path.substr(0, slash))) return true;
      if (slash == std::string::npos) break;
    }
  }
  return false;
}

class Rollback {
 public:
  Rollback(std::string folder, bool force) : folder_(std::move(folder)), force_(force) {}

  void Run(const std::vector<ManifestEntry>& entries) {
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
      if (entry->action == BackupAction::kCreated) RemoveCreatedFile(*entry);
      if (entry->action == BackupAction::kChanged) RestoreKeptFile(*entry);
      if (entry->action == BackupAction::kAttributes) RestoreAttributes(*entry);
    }
    RemoveStaleTempFiles(entries);
    // The folders last, deepest first: the files in them are gone by now.
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry)
      if (entry->action == BackupAction::kCreatedFolder) RemoveCreatedFolder(*entry);
  }

  int ExitCode() const { return changed_ + gone_ + damaged_ + failed_ > 0 ? 1 : 0; }

  void Tell(RollbackReport& report, bool cutOff) const {
    report.lines = lines_ + "Rolled back: " + std::to_string(done_) + " put back, " +
                   std::to_string(changed_ + gone_) + " left as they are, " +
                   std::to_string(damaged_ + failed_) + " failed\n";
    std::string& messages = report.messages;
    if (cutOff)
      messages += "vantrel: The run that made this backup was cut off before its end; every "
                  "entry its journal holds was rolled back, changes since the run could not be "
                  "told apart\n";
    if (changed_ + gone_ > 0)
      messages += "vantrel: " + Count(changed_, "changed") + " and " + Count(gone_, "gone") +
                  " since the run were left as they are; --force puts them back all the same\n";
    if (damaged_ > 0)
      messages += "vantrel: " + std::to_string(damaged_) +
                  " kept files are not as the run kept them and were not restored\n";
    if (failed_ > 0)
      messages += "vantrel: " + std::to_string(failed_) + " entries could not be put back\n";
  }

 private:
  static std::string Count(std::size_t count, const std::string& what) {
    return std::to_string(count) + (count == 1 ? " entry " : " entries ") + what;
  }
  void Line(const std::string& what, const std::string& path) {
    lines_ += what + ": " + platform::HostPath(path) + "\n";
  }
  void Done(const std::string& what, const std::string& path) {
    ++done_;
    Line(what, path);
  }
  bool Check(const platform::Status& status, const std::string& path) {
    if (status) return true;
    ++failed_;
    Line("Failed (" + status.reason + ")", path);
    return false;
  }
  // Whether an entry changed or gone since the run is put back all the same.
  bool Overrides(bool gone, const std::string& path) {
    if (force_) return true;
    ++(gone ? gone_ : changed_);
    Line(gone ? "Gone since the run, left as it is" : "Changed since the run, left as it is",
         path);
    return false;
  }

  void RemoveCreatedFile(const ManifestEntry& entry) {
    if (!platform::Exists(entry.path)) return;  // gone already
    if (!AsLeft(entry) && !Overrides(false, entry.path)) return;
    platform::SetAttributes(entry.path, 0);  // a read-only file is removed too
    if (Check(platform::RemoveFile(entry.path), entry.path)) Done("Removed", entry.path);
  }

  void RestoreKeptFile(const ManifestEntry& entry) {
    const std::string kept = folder_ + "\\" + entry.kept;
    const int before = entry.attributesBefore & platform::kSettable;
    if (HashIs(entry.path, entry.keptSha256)) {
      // Put back by an earlier, interrupted rollback, or never changed.
      Check(platform::SetAttributes(entry.path, before), entry.path);
      return;
    }
    if (!HashIs(kept, entry.keptSha256)) {
      ++damaged_;
      return Line("Kept bytes not as they were kept, not restored", entry.path);
    }
    const bool there = platform::Exists(entry.path);
    const bool gone = !there && entry.afterKnown && entry.presentAfter;
    if ((gone || (there && !AsLeft(entry))) && !Overrides(gone, entry.path)) return;
    if (there) platform::SetAttributes(entry.path, 0);
    if (!Check(platform::CopyFileAtomic(kept, entry.path), entry.path)) return;
    // The kept file may have been swapped since it was checked.
    if (!HashIs(entry.path, entry.keptSha256)) {
      Check(platform::Status::Fail("the kept bytes changed while restored"), entry.path);
      return;
    }
    if (Check(platform::SetAttributes(entry.path, before), entry.path))
      Done("Restored", entry.path);
  }

  void RestoreAttributes(const ManifestEntry& entry) {
    const bool folder = (entry.attributesBefore & platform::kFolder) != 0;
    const bool there = folder ? platform::FolderExists(entry.path) : platform::FileExists(entry.path);
    if (!there) {
      ++gone_;
      return Line("Gone since the run, left as it is", entry.path);
    }
    if (!folder && !AsLeft(entry) && !Overrides(false, entry.path)) return;
    int now = 0;
    platform::GetAttributes(entry.path, now);
    const int before = entry.attributesBefore & platform::kSettable;
    if ((now & platform::kSettable) == before) return;
    if (Check(platform::SetAttributes(entry.path, before), entry.path))
      Done("Attributes restored", entry.path);
  }

  // A run killed between naming a temporary file and renaming it over its
  // target leaves it in the target's folder; it is the run's, not what was
  // there before. Only files whose writer is gone are removed.
  static void RemoveStaleTempFiles(const std::vector<ManifestEntry>& entries) {
    std::unordered_set<std::string> cleaned;
    auto clean = [&](const std::string& folder) {
      if (cleaned.insert(util::Upper(folder)).second) platform::RemoveStaleTempFiles(folder);
    };
    for (const ManifestEntry& entry : entries) {
      clean(ParentFolder(entry.path));
      if (entry.action == BackupAction::kCreatedFolder) clean(entry.path);
    }
  }

  void RemoveCreatedFolder(const ManifestEntry& entry) {
    if (!platform::FolderExists(entry.path)) return;
    std::vector<platform::DirEntry> inside;
    platform::ListFolder(entry.path, inside, platform::ListDetail::kKinds);
    // What is in it now is not the run's: it stays, and so does the folder.
    if (!inside.empty()) {
      ++changed_;
      return Line("Not empty, left as it is", entry.path);
    }
    platform::SetAttributes(entry.path, 0);
    if (Check(platform::RemoveFolder(entry.path), entry.path)) Done("Removed", entry.path);
  }

  std::string folder_;
  bool force_;
  std::string lines_;
  std::size_t done_ = 0, changed_ = 0, gone_ = 0, damaged_ = 0, failed_ = 0;
};

int Refuse(RollbackReport& report, const std::string& message) {
  report.messages += "vantrel: " + message + "\n";
  return 1;
}

// The journal, read and checked whole; false with the message told.
bool ReadJournal(const std::string& folder, Journal& journal, RollbackReport& report) {
  const std::string path = folder + "\\" + kManifestFileName;
  std::string text, fault, link;
  if (platform::IsSymbolicLink(path)) {
    fault = "it is a symbolic link, not followed";
  } else if (platform::Status status = platform::ReadFileBytes(path, text); !status) {
    Refuse(report, "No journal: " + platform::HostPath(path) + " (" + status.reason +
                       "); nothing was changed");
    return false;
  } else if (JournalHeadCutShort(text)) {
    // Written ahead of every change, a head cut short tells of a run ended
    // before its first one: nothing to put back. It still ends with 1, as
    // every cut-off journal does: a head torn otherwise cannot be told.
    journal = Journal{};
    report.messages +=
        "vantrel: The run that made this backup was cut off while it wrote its journal's head, "
        "before its first change\n";
    return true;
  } else if (!ParseJournal(text, journal, fault)) {
  } else if (FirstLinkOnTheWay(journal, folder, link)) {
    fault = "a symbolic link on the way: " + platform::HostPath(link);
  } else {
    return true;
  }
  Refuse(report, "The journal " + platform::HostPath(path) +
                     " is refused, nothing was changed: " + fault);
  return false;
}

}  // namespace

int RollBack(const std::string& backupFolder, bool force, RollbackReport& report,
             const TakeLock& takeLock) {
  report = RollbackReport{};
  std::string folder = backupFolder;
  while (folder.size() > 1 && folder.back() == '\\') folder.pop_back();
  if (!platform::FolderExists(folder) || platform::IsSymbolicLink(folder))
    return Refuse(report, "No backup folder: " + platform::HostPath(folder));
  platform::FileLock lock;
  if (!takeLock(lock, ParentFolder(folder) + "\\Vantrel.lock")) return 1;
  Journal journal;
  if (!ReadJournal(folder, journal, report)) return 1;
  Rollback rollback(folder, force);
  // A rollback cut off is done again from the start: its changes need not
  // wait for the disk one by one, only all of them before it says done.
  platform::Status durable;
  {
    platform::DurableBatch batch;
    rollback.Run(journal.entries);
    durable = platform::MakeChangesDurable();
  }
  rollback.Tell(report, journal.cutOff);
  if (!durable) {
    report.messages += "vantrel: What was put back cannot be put on the disk (" +
                       durable.reason + "); roll back once more\n";
    return 1;
  }
  return journal.cutOff ? 1 : rollback.ExitCode();
}
