#pragma once
// Whole trees as values, for comparing installations before and after a run.

#include <map>
#include <string>

namespace testenv {

struct EntryState {
  bool folder = false;
  std::string bytes;   // files only
  int attributes = 0;  // as the platform layer reads them
  bool operator==(const EntryState&) const = default;
};
// Relative path ("/"-separated) -> state, of everything below hostRoot.
using TreeSnapshot = std::map<std::string, EntryState>;

TreeSnapshot Snapshot(const std::string& hostRoot);
// A snapshot of the new installation's root without its LOG folder, which
// every run writes.
TreeSnapshot SnapshotWithoutLog(const std::string& hostRoot);
TreeSnapshot WithoutLog(TreeSnapshot tree);
// A snapshot's key for a path written with "/": the snapshot names entries
// with the host's own separator, a backslash on Windows.
std::string SnapshotKey(const std::string& slashed);
// The first difference between two snapshots, or "" when equal.
std::string FirstDifference(const TreeSnapshot& expected, const TreeSnapshot& actual);

// The states a destination file may be in after a run that was cut off:
// as it was, as a complete run leaves it, a plain copy of its source (a
// user file is copied, then exchanged), or for $CONFIG.DAT, which passes
// several whole states, one that ends with its last line. Paths are keys
// of snapshots of the new installation's root (QVD\ROBOTER).
struct WholeStates {
  TreeSnapshot before;
  TreeSnapshot after;
  TreeSnapshot source;  // of the old installation (QVD_OLDINST\QVD\R1)
  bool Holds(const std::string& path, const std::string& bytes) const;
};

// Whether a snapshot holds a temporary file of a writer.
bool HoldsTemporaryFile(const TreeSnapshot& tree);

// Copies a host folder's contents into another (created as needed).
void CopyTree(const std::string& fromHost, const std::string& toHost);
// Applies an attribute list (letters R H S A, blank, path below C:).
void ApplyAttributeList(const std::string& listHostPath);
// The attribute list of a tree: one line "LETTERS relative\path" for each
// entry with attributes, in path order.
std::string AttributeList(const TreeSnapshot& snapshot);

}  // namespace testenv
