#include "undo/manifest.h"

#include <charconv>

namespace {

const std::string kFirstLine = "Vantrel backup manifest 1";

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

std::string EntryLine(const ManifestEntry& entry) {
  const std::string before =
      entry.attributesBefore < 0 ? "-" : std::to_string(entry.attributesBefore);
  const std::string size = entry.presentAfter ? std::to_string(entry.sizeAfter) : "-";
  const std::string sha = entry.presentAfter ? entry.sha256After : "-";
  return std::string(ActionName(entry.action)) + "\t" + before + "\t" + size + "\t" + sha +
         "\t" + OrDash(entry.kept) + "\t" + entry.path + "\n";
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  // The path is the rest of the line.
  while (fields.size() < 5) {
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

bool ParseEntry(const std::string& line, ManifestEntry& entry) {
  std::vector<std::string> fields = Fields(line);
  if (fields.size() != 6 || !ActionOf(fields[0], entry.action) || fields[5].empty()) return false;
  entry.attributesBefore = -1;
  if (fields[1] != "-" && !ParseNumber(fields[1], entry.attributesBefore)) return false;
  entry.presentAfter = fields[2] != "-";
  if (entry.presentAfter && (!ParseNumber(fields[2], entry.sizeAfter) || !IsSha256(fields[3])))
    return false;
  if (!entry.presentAfter && fields[3] != "-") return false;
  entry.sha256After = entry.presentAfter ? fields[3] : "";
  entry.kept = fields[4] == "-" ? "" : fields[4];
  entry.path = fields[5];
  return true;
}

}  // namespace

std::string ManifestText(const std::vector<ManifestEntry>& entries) {
  std::string text = kFirstLine + "\n";
  for (const ManifestEntry& entry : entries) text += EntryLine(entry);
  return text;
}

bool ParseManifest(const std::string& text, std::vector<ManifestEntry>& entries,
                   std::size_t& badLine) {
  entries.clear();
  std::size_t start = 0;
  std::size_t number = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    start = end + 1;
    ++number;
    badLine = number;
    if (number == 1) {
      if (line != kFirstLine) return false;
      continue;
    }
    if (line.empty()) continue;
    ManifestEntry entry;
    if (!ParseEntry(line, entry)) return false;
    entries.push_back(std::move(entry));
  }
  badLine = number == 0 ? 1 : 0;
  return number > 0;
}
