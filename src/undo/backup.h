#pragma once
// The backup of a run: before the run changes an entry below the
// destination's parent folder (the installation and STEU beside it), what
// was there is kept in a backup folder of the run, so that the run can be
// rolled back (app/rollback.h). Only what the run touches is kept: a file
// about to be replaced by a rename gets a second name (a hard link) where
// the file system allows, any other file a copy. The manifest (app/
// manifest.h) is written when the backup ends: at the end of the run or of
// an abort.

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

#include "undo/manifest.h"
#include "platform/platform.h"

class RunBackup : public platform::ChangeWatcher {
 public:
  // scope: the folder below which changes are kept; folder: the backup
  // folder, which must not exist yet.
  RunBackup(const std::string& scope, std::string folder);
  // Creates the backup folder; nothing is kept when it fails.
  platform::Status Start();
  void BeforeChange(const std::string& path, platform::Change change, int attributes) override;
  // Notes the state after the run of every entry and writes the manifest.
  platform::Status Finish();

  const std::string& folder() const { return folder_; }
  const std::vector<ManifestEntry>& entries() const { return entries_; }
  // Files whose bytes could not be kept: they cannot be restored.
  std::size_t failures() const { return failures_; }

 private:
  bool InScope(const std::string& path) const;
  void FirstChange(const std::string& path, platform::Change change, int attributes);
  void Keep(ManifestEntry& entry, platform::Change change);

  std::string scope_;   // upper-cased, with a trailing backslash
  std::string folder_;
  std::string folderKey_;  // upper-cased, with a trailing backslash
  bool started_ = false;
  std::vector<ManifestEntry> entries_;
  std::unordered_map<std::string, std::size_t> index_;  // upper-cased path -> entry
  std::size_t keptFiles_ = 0;
  std::size_t failures_ = 0;
};

// The backup folder of a run whose log is logFile: in the log's folder,
// named by the time of the run, made unique when a folder of that name is
// there already.
std::string BackupFolderFor(const std::string& logFile);
