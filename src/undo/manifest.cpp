#include "undo/manifest.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <string_view>
#include <unordered_map>

#include "util/sha256.h"
#include "util/strings.h"

namespace {

const std::string kFirstLine = "Vantrel backup journal 2";
const std::string kFormerFirstLine = "Vantrel backup manifest 1";

const char* ActionName(BackupAction action) {
  switch (action) {
    case BackupAction::kCreated: return "created";
    case BackupAction::kCreatedFolder: return "created-folder";
    case BackupAction::kChanged: return "changed";
    case BackupAction::kAttributes: return "attributes";
  }
  return "";
}

bool ActionOf(const std::string& name, BackupAction& action) {
  for (BackupAction candidate : {BackupAction::kCreated, BackupAction::kCreatedFolder,
                                 BackupAction::kChanged, BackupAction::kAttributes}) {
    if (name == ActionName(candidate)) {
      action = candidate;
      return true;
    }
  }
  return false;
}

std::string OrDash(const std::string& text) { return text.empty() ? "-" : text; }

// The fields of a line; the last of at most `count` takes the rest.
std::vector<std::string> Fields(const std::string& line, std::size_t count) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  while (fields.size() + 1 < count) {
    std::size_t tab = line.find('\t', start);
    if (tab == std::string::npos) break;
    fields.push_back(line.substr(start, tab - start));
    start = tab + 1;
  }
  fields.push_back(line.substr(start));
  return fields;
}

template <typename Number>
bool ParseNumber(const std::string& text, Number& value) {
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

bool IsSha256(const std::string& text) {
  if (text.size() != 64) return false;
  for (char c : text)
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  return true;
}

// "files\" and six digits or more: nothing else names a kept file.
bool IsKeptName(const std::string& kept) {
  const std::string prefix = "files\\";
  if (kept.size() < prefix.size() + 6 || kept.compare(0, prefix.size(), prefix) != 0)
    return false;
  for (std::size_t i = prefix.size(); i < kept.size(); ++i)
    if (kept[i] < '0' || kept[i] > '9') return false;
  return true;
}

// Components separated by single backslashes, none of them "." or "..",
// none holding a colon, a forward slash or a control character.
bool SoundComponents(std::string_view rest) {
  std::size_t start = 0;
  for (;;) {
    std::size_t end = rest.find('\\', start);
    std::string_view part = rest.substr(start, end == std::string_view::npos ? end : end - start);
    if (part.empty() || part == "." || part == "..") return false;
    for (char c : part)
      if (c == ':' || c == '/' || static_cast<unsigned char>(c) < 0x20) return false;
    if (end == std::string_view::npos) return true;
    start = end + 1;
  }
}

// A drive and the folders below it: "C:" or "C:\QVD\ROBOTER".
bool SoundRoot(const std::string& root) {
  if (root.size() < 2 || !std::isalpha(static_cast<unsigned char>(root[0])) || root[1] != ':')
    return false;
  if (root.size() == 2) return true;
  return root[2] == '\\' && SoundComponents(std::string_view(root).substr(3));
}

struct Reader {
  Reader(Journal& into, std::string& why) : journal(into), fault(why) {}

  Journal& journal;
  std::string& fault;
  std::unordered_map<std::string, std::size_t> paths;  // upper-cased -> entry
  std::unordered_map<std::string, bool> kept;
  std::size_t afterLines = 0;
  bool ended = false;

  bool Fail(std::size_t number, const std::string& why) {
    fault = "line " + std::to_string(number) + ": " + why;
    return false;
  }

  bool Header(std::size_t number, const std::string& line) {
    if (number == 1) {
      if (line == kFormerFirstLine)
        return Fail(1, "a manifest of format 1, written by an earlier version; this version "
                       "rolls back journals of format 2 only");
      return line == kFirstLine || Fail(1, "not a backup journal");
    }
    const std::vector<std::string> fields = Fields(line, 2);
    if (number == 2) {
      if (fields.size() != 2 || fields[0] != "root" || !SoundRoot(fields[1]))
        return Fail(2, "no sound destination root");
      journal.header.root = fields[1];
      return true;
    }
    if (fields.size() != 2 || fields[0] != "start" || fields[1].empty())
      return Fail(3, "no start of the run");
    journal.header.start = fields[1];
    return true;
  }

  bool Entry(std::size_t number, const std::string& line) {
    if (afterLines > 0) return Fail(number, "an entry after the state at the end");
    const std::vector<std::string> fields = Fields(line, 5);
    ManifestEntry entry;
    if (fields.size() != 5 || !ActionOf(fields[0], entry.action))
      return Fail(number, "not an entry");
    if (fields[1] != "-" &&
        (!ParseNumber(fields[1], entry.attributesBefore) || entry.attributesBefore > 63))
      return Fail(number, "no attributes");
    entry.kept = fields[2] == "-" ? "" : fields[2];
    entry.keptSha256 = fields[3] == "-" ? "" : fields[3];
    entry.path = fields[4];
    if (!entry.kept.empty() && (!IsKeptName(entry.kept) || !IsSha256(entry.keptSha256)))
      return Fail(number, "a kept file outside the backup's files: " + fields[2]);
    if (entry.kept.empty() != entry.keptSha256.empty()) return Fail(number, "a lone hash");
    if (!PathBelowRoot(entry.path, journal.header.root))
      return Fail(number, "a path outside " + journal.header.root + ": " + entry.path);
    if (!Consistent(entry)) return Fail(number, "an entry at odds with itself: " + entry.path);
    if (!entry.kept.empty() && !kept.emplace(entry.kept, true).second)
      return Fail(number, "a kept file named twice: " + entry.kept);
    return Add(number, std::move(entry));
  }

  // What each action has and has not.
  static bool Consistent(const ManifestEntry& entry) {
    const bool before = entry.attributesBefore >= 0;
    const bool folder = before && (entry.attributesBefore & 16);
    switch (entry.action) {
      case BackupAction::kCreated:
      case BackupAction::kCreatedFolder: return !before && entry.kept.empty();
      case BackupAction::kChanged: return before && !folder && !entry.kept.empty();
      case BackupAction::kAttributes: return before && entry.kept.empty();
    }
    return false;
  }

  // A path's second line may only keep the bytes of an entry whose
  // attributes alone had changed until then.
  bool Add(std::size_t number, ManifestEntry entry) {
    const std::string key = util::Upper(entry.path);
    auto known = paths.find(key);
    if (known == paths.end()) {
      paths.emplace(key, journal.entries.size());
      journal.entries.push_back(std::move(entry));
      return true;
    }
    ManifestEntry& first = journal.entries[known->second];
    if (first.action != BackupAction::kAttributes || entry.action != BackupAction::kChanged ||
        first.attributesBefore != entry.attributesBefore)
      return Fail(number, "a second entry for " + entry.path);
    first = std::move(entry);
    return true;
  }

  bool After(std::size_t number, const std::string& line) {
    const std::vector<std::string> fields = Fields(line, 4);
    std::size_t which = 0;
    if (fields.size() != 4 || !ParseNumber(fields[1], which) || which != afterLines + 1 ||
        which > journal.entries.size())
      return Fail(number, "a state at the end out of order");
    ManifestEntry& entry = journal.entries[which - 1];
    entry.presentAfter = fields[2] != "-";
    if (entry.presentAfter && (!ParseNumber(fields[2], entry.sizeAfter) || !IsSha256(fields[3])))
      return Fail(number, "no size and hash");
    if (!entry.presentAfter && fields[3] != "-") return Fail(number, "a hash without size");
    if (entry.presentAfter && entry.action == BackupAction::kCreatedFolder)
      return Fail(number, "a folder with bytes");
    entry.sha256After = entry.presentAfter ? fields[3] : "";
    ++afterLines;
    return true;
  }

  bool End(std::size_t number, const std::string& line, std::string_view textBefore) {
    const std::vector<std::string> fields = Fields(line, 3);
    std::size_t count = 0;
    if (fields.size() != 3 || !ParseNumber(fields[1], count))
      return Fail(number, "not an end record");
    if (count != journal.entries.size() || afterLines != count)
      return Fail(number, "the end record counts " + fields[1] + " entries, the journal holds " +
                              std::to_string(journal.entries.size()));
    if (fields[2] != util::Sha256Hex(textBefore))
      return Fail(number, "the end record's hash does not match the journal");
    ended = true;
    for (ManifestEntry& entry : journal.entries) entry.afterKnown = true;
    return true;
  }

  bool Line(std::size_t number, const std::string& line, std::string_view textBefore) {
    if (ended) return Fail(number, "text after the end record");
    if (number <= 3) return Header(number, line);
    const std::string kind = line.substr(0, line.find('\t'));
    if (kind == "after") return After(number, line);
    if (kind == "end") return End(number, line, textBefore);
    return Entry(number, line);
  }
};

}  // namespace

bool PathBelowRoot(const std::string& path, const std::string& root) {
  std::string head = util::Upper(root);
  if (head.back() != '\\') head += '\\';
  if (path.size() <= head.size() || util::Upper(path).compare(0, head.size(), head) != 0)
    return false;
  return SoundComponents(std::string_view(path).substr(head.size()));
}

std::string JournalHeaderText(const JournalHeader& header) {
  return kFirstLine + "\nroot\t" + header.root + "\nstart\t" + header.start + "\n";
}

std::string JournalEntryLine(const ManifestEntry& entry) {
  const std::string before =
      entry.attributesBefore < 0 ? "-" : std::to_string(entry.attributesBefore);
  return std::string(ActionName(entry.action)) + "\t" + before + "\t" + OrDash(entry.kept) +
         "\t" + OrDash(entry.keptSha256) + "\t" + entry.path + "\n";
}

std::string JournalAfterLine(std::size_t number, const ManifestEntry& entry) {
  const std::string size = entry.presentAfter ? std::to_string(entry.sizeAfter) : "-";
  const std::string sha = entry.presentAfter ? entry.sha256After : "-";
  return "after\t" + std::to_string(number) + "\t" + size + "\t" + sha + "\n";
}

std::string JournalEndLine(std::size_t count, const std::string& textBefore) {
  return "end\t" + std::to_string(count) + "\t" + util::Sha256Hex(textBefore) + "\n";
}

std::string JournalText(const JournalHeader& header, const std::vector<ManifestEntry>& entries) {
  std::string text = JournalHeaderText(header);
  for (const ManifestEntry& entry : entries) text += JournalEntryLine(entry);
  for (std::size_t i = 0; i < entries.size(); ++i) text += JournalAfterLine(i + 1, entries[i]);
  return text + JournalEndLine(entries.size(), text);
}

bool JournalHeadCutShort(const std::string& text) {
  const std::string_view head = kFirstLine;
  if (std::count(text.begin(), text.end(), '\n') >= 3) return false;
  const std::string_view first = std::string_view(text).substr(0, text.find('\n'));
  return text.find('\n') == std::string::npos ? head.substr(0, first.size()) == first
                                               : first == head;
}

bool ParseJournal(const std::string& text, Journal& journal, std::string& fault) {
  journal = Journal{};
  fault.clear();
  Reader reader(journal, fault);
  std::size_t start = 0;
  std::size_t number = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    ++number;
    if (end == std::string::npos) {
      // Torn by the end of the process; a header cut short means that
      // nothing was changed after it.
      if (number <= 3) return reader.Fail(number, "the journal's head is cut short");
      if (reader.ended) return reader.Fail(number, "text after the end record");
      break;
    }
    if (!reader.Line(number, text.substr(start, end - start), std::string_view(text).substr(0, start)))
      return false;
    start = end + 1;
  }
  if (number < 3) return reader.Fail(number + 1, "the journal's head is cut short");
  journal.cutOff = !reader.ended;
  // Without the end record the states at the end are not to be trusted.
  if (journal.cutOff)
    for (ManifestEntry& entry : journal.entries) {
      entry.presentAfter = false;
      entry.sizeAfter = 0;
      entry.sha256After.clear();
    }
  return true;
}
