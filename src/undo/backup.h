#pragma once
// The backup of a run: before the run changes an entry below the
// destination root (the destination's parent folder: the installation and
// STEU beside it), what was there is kept in a backup folder of the run,
// so that the run can be rolled back (undo/rollback.h). Only what the run
// touches is kept: a file about to be replaced by a rename gets a second
// name (a hard link) where the file system allows, any other file a copy.
//
// The journal (undo/manifest.h) is written ahead: each entry is appended
// and the kept bytes are in the backup folder before its change may be
// made, and both are on the disk before the change is. A change whose
// file cannot be kept, or whose entry cannot be written, is refused: it is
// not made. Finish adds the state at the end and the end record.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/platform.h"
#include "undo/manifest.h"

class RunBackup : public platform::ChangeWatcher {
 public:
  // Told of each change refused, in words naming its path and why.
  using TellRefusal = std::function<void(const std::string& path, const std::string& why)>;

  // scope: the destination root, below which changes are kept; folder:
  // the backup folder, which must not exist yet; start: the run's start.
  RunBackup(const std::string& scope, std::string folder, std::string start = "");
  // Creates the backup folder and the journal's head, on the disk when it
  // returns; nothing is kept, and every change is refused, when it fails.
  platform::Status Start();
  platform::Status BeforeChange(const std::string& path, platform::Change change,
                                int attributes) override;
  void BeforeChanges(const std::vector<platform::AnnouncedChange>& changes) override;
  // Puts the journal and the kept files written since the last call on the
  // disk. Each change calls it before it is made unless that is turned off
  // (set_durable_each_change(false)): then the caller calls it before it
  // puts the changes on the disk, as many as it likes at once.
  platform::Status MakeDurable();
  void set_durable_each_change(bool each) { durableEachChange_ = each; }
  // Appends the state after the run of every entry and the end record,
  // and closes the journal; later calls do nothing. Called however the
  // run ends (its end, an abort, a stop).
  platform::Status Finish();

  void set_tell_refusal(TellRefusal tell) { tellRefusal_ = std::move(tell); }
  const std::string& folder() const { return folder_; }
  const std::vector<ManifestEntry>& entries() const { return entries_; }
  // Changes refused because what they would change could not be kept.
  std::size_t refusedChanges() const { return refused_; }

 private:
  bool InScope(const std::string& path) const;
  platform::Status FirstChange(const std::string& path, platform::Change change, int attributes);
  platform::Status Keep(ManifestEntry& entry, platform::Change change);
  platform::Status Record(const ManifestEntry& entry);
  platform::Status Refuse(const std::string& path, const platform::Status& why);

  std::string scope_;   // upper-cased, with a trailing backslash
  std::string root_;    // as given
  std::string folder_;
  std::string folderKey_;  // upper-cased, with a trailing backslash
  std::string start_;
  bool started_ = false;
  bool finished_ = false;
  bool durableEachChange_ = true;
  bool announcing_ = false;    // changes told ahead: refused quietly
  bool pending_ = false;       // appended since the last MakeDurable
  bool linksPending_ = false;  // kept by a second name since then
  platform::AppendFile journal_;
  std::string written_;  // the journal's text so far, for its end record
  std::vector<ManifestEntry> entries_;
  std::unordered_map<std::string, std::size_t> index_;  // upper-cased path -> entry
  std::size_t keptFiles_ = 0;
  std::size_t refused_ = 0;
  TellRefusal tellRefusal_;
};

// The backup folder of a run whose log is logFile: in the log's folder,
// named by the time of the run, made unique when a folder of that name is
// there already.
std::string BackupFolderFor(const std::string& logFile);

// The backup folder of the last run with this log folder when that run
// was cut off (its journal has no end record), so that the next run can
// say how to roll it back; nullopt when it ended or there is none.
std::optional<std::string> CutOffBackup(const std::string& logFolder);
