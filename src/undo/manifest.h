#pragma once
// The manifest of a run's backup: one line per entry below the
// destination's parent folder that the run changed, in the order of the
// first change. Kept as "manifest.txt" in the backup folder:
//
//   Vantrel backup manifest 1
//   ACTION<TAB>BEFORE<TAB>SIZE<TAB>SHA256<TAB>KEPT<TAB>PATH
//
// ACTION   created         a file the run made
//          created-folder  a folder the run made
//          changed         a file whose bytes the run replaced or removed
//          attributes      an entry whose attributes alone the run changed
// BEFORE   the attributes before the run, decimal (16 marks a folder);
//          "-" for what the run created
// SIZE     the size in bytes after the run; "-" for a folder or a file
//          that was gone at the end of the run
// SHA256   the SHA-256 of the bytes after the run, 64 lower-case hex
//          digits; "-" where SIZE is "-"
// KEPT     the copy of the bytes before the run, relative to the backup
//          folder ("files\000001"); "-" where none is kept (nothing to
//          keep, or the copy failed: then the bytes cannot be restored)
// PATH     the destination path, last, so that it may hold blanks
//
// The names a controller's file system holds have no tab or line end.

#include <cstdint>
#include <string>
#include <vector>

enum class BackupAction { kCreated, kCreatedFolder, kChanged, kAttributes };

struct ManifestEntry {
  BackupAction action = BackupAction::kCreated;
  int attributesBefore = -1;  // -1: it was not there
  bool presentAfter = false;  // a file at the end of the run (not a folder)
  uint64_t sizeAfter = 0;
  std::string sha256After;
  std::string kept;  // empty: nothing kept
  std::string path;
  bool operator==(const ManifestEntry&) const = default;
};

inline constexpr const char* kManifestFileName = "manifest.txt";

std::string ManifestText(const std::vector<ManifestEntry>& entries);
// False, with the line number in error, for a text that is not a manifest.
bool ParseManifest(const std::string& text, std::vector<ManifestEntry>& entries,
                   std::size_t& badLine);
