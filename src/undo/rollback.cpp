#include "undo/rollback.h"

#include <cstddef>
#include <vector>

#include "undo/manifest.h"
#include "platform/platform.h"
#include "util/path_text.h"
#include "util/sha256.h"

namespace {

bool BytesAre(const std::string& path, uint64_t size, const std::string& sha256) {
  platform::FileBytes bytes;
  if (!platform::FileExists(path) || !bytes.Open(path)) return false;
  return bytes.bytes().size() == size && util::Sha256Hex(bytes.bytes()) == sha256;
}

bool SameBytes(const std::string& a, const std::string& b) {
  platform::FileBytes first, second;
  if (!platform::FileExists(a) || !first.Open(a) || !second.Open(b)) return false;
  return first.bytes() == second.bytes();
}

// The file is as the run left it: the same bytes, or gone as it was gone.
bool AsLeft(const ManifestEntry& entry) {
  return entry.presentAfter ? BytesAre(entry.path, entry.sizeAfter, entry.sha256After)
                            : !platform::Exists(entry.path);
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
    // The folders last, deepest first: the files in them are gone by now.
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry)
      if (entry->action == BackupAction::kCreatedFolder) RemoveCreatedFolder(*entry);
  }

  int ExitCode() const { return left_ > 0 || failed_ > 0 ? 1 : 0; }

  std::string Report() const {
    return report_ + "Rolled back: " + std::to_string(done_) + " put back, " +
           std::to_string(left_) + " left as they are, " + std::to_string(failed_) + " failed\n";
  }

 private:
  void Line(const std::string& what, const std::string& path) {
    report_ += what + ": " + path + "\n";
  }
  void Done(const std::string& what, const std::string& path) {
    ++done_;
    Line(what, path);
  }
  void Left(const std::string& why, const std::string& path) {
    ++left_;
    Line(why, path);
  }
  bool Check(const platform::Status& status, const std::string& path) {
    if (status) return true;
    ++failed_;
    Line("Failed (" + status.reason + ")", path);
    return false;
  }
  // Whether an entry changed since the run is to be put back all the same.
  bool Overrides(const std::string& path) {
    if (force_) return true;
    Left("Changed since the run, left as it is", path);
    return false;
  }

  void RemoveCreatedFile(const ManifestEntry& entry) {
    if (!platform::Exists(entry.path)) return;  // gone already
    if (!AsLeft(entry) && !Overrides(entry.path)) return;
    platform::SetAttributes(entry.path, 0);  // a read-only file is removed too
    if (Check(platform::RemoveFile(entry.path), entry.path)) Done("Removed", entry.path);
  }

  void RestoreKeptFile(const ManifestEntry& entry) {
    if (entry.kept.empty()) {
      ++failed_;
      return Line("Not kept, cannot be restored", entry.path);
    }
    const std::string kept = folder_ + "\\" + entry.kept;
    const int before = entry.attributesBefore & platform::kSettable;
    if (SameBytes(entry.path, kept)) {
      // Put back by an earlier, interrupted rollback, or never changed.
      Check(platform::SetAttributes(entry.path, before), entry.path);
      return;
    }
    if (!AsLeft(entry) && !Overrides(entry.path)) return;
    if (platform::Exists(entry.path)) platform::SetAttributes(entry.path, 0);
    if (Check(platform::CopyFileAtomic(kept, entry.path), entry.path) &&
        Check(platform::SetAttributes(entry.path, before), entry.path))
      Done("Restored", entry.path);
  }

  void RestoreAttributes(const ManifestEntry& entry) {
    const bool folder = (entry.attributesBefore & platform::kFolder) != 0;
    const bool there = folder ? platform::FolderExists(entry.path) : platform::FileExists(entry.path);
    if (!there) return Left("Gone since the run, left as it is", entry.path);
    if (!folder && !AsLeft(entry) && !Overrides(entry.path)) return;
    int now = 0;
    platform::GetAttributes(entry.path, now);
    if ((now & platform::kSettable) == (entry.attributesBefore & platform::kSettable)) return;
    if (Check(platform::SetAttributes(entry.path, entry.attributesBefore & platform::kSettable), entry.path))
      Done("Attributes restored", entry.path);
  }

  void RemoveCreatedFolder(const ManifestEntry& entry) {
    if (!platform::FolderExists(entry.path)) return;
    std::vector<platform::DirEntry> inside;
    platform::ListFolder(entry.path, inside, platform::ListDetail::kKinds);
    // What is in it now is not the run's: it stays, and so does the folder.
    if (!inside.empty()) return Left("Not empty, left as it is", entry.path);
    platform::SetAttributes(entry.path, 0);
    if (Check(platform::RemoveFolder(entry.path), entry.path)) Done("Removed", entry.path);
  }

  std::string folder_;
  bool force_;
  std::string report_;
  std::size_t done_ = 0, left_ = 0, failed_ = 0;
};

}  // namespace

int RollBack(const std::string& backupFolder, bool force, std::string& report,
             const TakeLock& takeLock) {
  std::string folder = backupFolder;
  while (folder.size() > 1 && folder.back() == '\\') folder.pop_back();
  const std::string manifestPath = folder + "\\" + kManifestFileName;
  std::string text;
  if (platform::Status status = platform::ReadFileBytes(manifestPath, text); !status) {
    report = "No manifest: " + manifestPath + " (" + status.reason + ")\n";
    return 1;
  }
  std::vector<ManifestEntry> entries;
  std::size_t badLine = 0;
  if (!ParseManifest(text, entries, badLine)) {
    report = "Not a manifest: " + manifestPath + ", line " + std::to_string(badLine) + "\n";
    return 1;
  }
  platform::FileLock lock;
  if (!takeLock(lock, ParentFolder(folder) + "\\Vantrel.lock")) {
    report.clear();
    return 1;
  }
  Rollback rollback(folder, force);
  rollback.Run(entries);
  report = rollback.Report();
  return rollback.ExitCode();
}
