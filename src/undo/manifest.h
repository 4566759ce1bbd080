#pragma once
// The journal of a run's backup, "manifest.txt" in the backup folder: one
// line per entry below the destination root that the run changes, each
// appended before its change is made, and at the end of the run the state
// of every entry as the run left it and an end record. The fields of a line
// are separated by one tab; every line ends with a line feed.
//
//   Vantrel backup journal 2
//   root<TAB>ROOT                 the folder below which the run changes
//   start<TAB>yyyy-mm-dd_hh-mm-ss
//   ACTION<TAB>BEFORE<TAB>KEPT<TAB>KEPT-SHA256<TAB>PATH       one per entry
//   after<TAB>NUMBER<TAB>SIZE<TAB>SHA256                      one per entry
//   end<TAB>COUNT<TAB>SHA256
//
// ACTION       created         a file the run made
//              created-folder  a folder the run made
//              changed         a file whose bytes the run replaced or removed
//              attributes      an entry whose attributes alone the run changed
// BEFORE       the attributes before the run, decimal (16 marks a folder);
//              "-" for what the run created
// KEPT         the bytes before the run, "files\" and six digits or more,
//              relative to the backup folder; "-" where none are kept
// KEPT-SHA256  their SHA-256, 64 lower-case hex digits; "-" with KEPT "-"
// PATH         the destination path, last, so that it may hold blanks
//
// An entry whose attributes changed first and whose bytes change later
// gets a second line, "changed", for the same path. NUMBER counts the
// entries from 1 in the order of their first lines; SIZE is the size after
// the run and SHA256 the SHA-256 of those bytes, both "-" for a folder or a
// file gone at the end. COUNT is the number of entries and SHA256 that of
// every byte of the journal before the end record. A journal without its
// end record is the journal of a run that was cut off.
//
// The names a controller's file system holds have no tab or line end.

#include <cstdint>
#include <string>
#include <vector>

enum class BackupAction { kCreated, kCreatedFolder, kChanged, kAttributes };

struct ManifestEntry {
  BackupAction action = BackupAction::kCreated;
  int attributesBefore = -1;  // -1: it was not there
  std::string kept;           // empty: nothing kept
  std::string keptSha256;     // of the kept bytes
  std::string path;
  // The state at the end of the run, known from a journal with its end
  // record only.
  bool afterKnown = false;
  bool presentAfter = false;  // a file at the end of the run (not a folder)
  uint64_t sizeAfter = 0;
  std::string sha256After;
  bool operator==(const ManifestEntry&) const = default;
};

struct JournalHeader {
  std::string root;   // the destination root, in the system's form
  std::string start;  // the run's start, as its backup folder is named
  bool operator==(const JournalHeader&) const = default;
};

struct Journal {
  JournalHeader header;
  std::vector<ManifestEntry> entries;
  bool cutOff = true;  // no end record
};

inline constexpr const char* kManifestFileName = "manifest.txt";
// Written beside the journal of a cut-off run once a rollback has put
// back all of it: the next run no longer offers that rollback.
inline constexpr const char* kRolledBackFileName = "rolled-back.txt";

std::string JournalHeaderText(const JournalHeader& header);
// A journal torn within its head (its run was ended while writing it, and
// so before its first change): empty, or the start of the head's three
// lines with its first line as the head begins.
bool JournalHeadCutShort(const std::string& text);
// The line that tells of an entry before its change is made.
std::string JournalEntryLine(const ManifestEntry& entry);
// The state after the run of the number-th entry (from 1).
std::string JournalAfterLine(std::size_t number, const ManifestEntry& entry);
// The end record of a journal whose text so far is textBefore.
std::string JournalEndLine(std::size_t count, const std::string& textBefore);
// A whole journal with its end record, as a run that ended writes it.
std::string JournalText(const JournalHeader& header, const std::vector<ManifestEntry>& entries);

// Reads a journal and checks it whole: false, with the fault in words,
// for a text that is not one or that names anything outside the root or
// the backup folder's files. A last line without its line feed in a
// journal without end record is the torn end of a cut-off run and is left
// out.
bool ParseJournal(const std::string& text, Journal& journal, std::string& fault);

// Whether path lies strictly below root, with no empty, "." or ".."
// component, no drive or stream colon and no forward slash on the way.
bool PathBelowRoot(const std::string& path, const std::string& root);
