#include "control.h"

#include "platform/platform.h"
#include "text.h"

namespace foldex {

namespace {

struct Entry {
  std::size_t line = 0;  // from 1
  std::string key;       // upper-cased
  std::string value;
};

std::string At(const std::string& path, std::size_t line) {
  return path + ", line " + std::to_string(line) + ": ";
}

// The KEY=value lines of a control file; a line of another form is a problem.
bool ReadEntries(const std::string& path, std::string_view text, std::vector<Entry>& entries,
                 Problems& problems) {
  bool ok = true;
  std::vector<Line> lines = SplitLines(text);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string_view line = Trim(TextOf(text, lines[i]));
    if (line.empty() || line.front() == ';') continue;
    line = Trim(line.substr(0, line.find(';')));
    std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
      problems.push_back(At(path, i + 1) + "not a KEY=value line: " + std::string(line));
      ok = false;
      continue;
    }
    entries.push_back({i + 1, Upper(Trim(line.substr(0, equals))),
                       std::string(Trim(line.substr(equals + 1)))});
  }
  return ok;
}

bool IsPlainAddName(const std::string& name) {
  return name.find_first_of("\\/:") == std::string::npos && name.size() > 4 &&
         Upper(name.substr(name.size() - 4)) == ".ADD";
}

bool SetAction(const Entry& entry, FoldControl& control, std::string& fault) {
  Action action = Action::kNone;
  if (Upper(entry.value) == "SAVE") action = Action::kSave;
  if (Upper(entry.value) == "EXCHANGE") action = Action::kExchange;
  if (action == Action::kNone) fault = "ACTION must be SAVE or EXCHANGE";
  else if (control.action != Action::kNone) fault = "ACTION given twice";
  else control.action = action;
  return fault.empty();
}

bool SetStore(const Entry& entry, FoldControl& control, std::string& fault) {
  // The run's end removes the *.add files of the control folder: a store
  // of another name or place would outlive the run.
  if (!IsPlainAddName(entry.value)) fault = "STORE must be a file name ending in .add";
  else if (!control.store.empty()) fault = "STORE given twice";
  else control.store = entry.value;
  return fault.empty();
}

bool ApplyFoldEntry(const Entry& entry, FoldControl& control, std::string& fault) {
  if (entry.key == "ACTION") return SetAction(entry, control, fault);
  if (entry.key == "STORE") return SetStore(entry, control, fault);
  if (entry.key == "FOLD" || entry.key == "EXCEPT") {
    if (entry.value.empty()) fault = entry.key + " needs a fold name";
    else (entry.key == "FOLD" ? control.include : control.except).push_back(Upper(entry.value));
    return fault.empty();
  }
  if (entry.key == "LEAF_ONLY") {
    std::string value = Upper(entry.value);
    if (value != "YES" && value != "NO") fault = "LEAF_ONLY must be YES or NO";
    control.leafOnly = value == "YES";
    return fault.empty();
  }
  fault = "unknown key " + entry.key;
  return false;
}

bool CheckFoldControl(const std::string& path, const FoldControl& control, Problems& problems) {
  std::size_t before = problems.size();
  if (control.action == Action::kNone) problems.push_back(path + ": no ACTION line");
  if (control.store.empty()) problems.push_back(path + ": no STORE line");
  if (control.action == Action::kSave && control.include.empty())
    problems.push_back(path + ": no FOLD line");
  if (control.action == Action::kExchange &&
      (!control.include.empty() || !control.except.empty() || control.leafOnly))
    problems.push_back(path + ": FOLD, EXCEPT and LEAF_ONLY belong to ACTION=SAVE");
  return problems.size() == before;
}

}  // namespace

std::string VariableKey(std::string_view name) {
  std::string key;
  for (char c : Upper(name))
    if (c != ' ' && c != '\t') key += c;
  return key;
}

bool ParseFoldControl(const std::string& path, std::string_view text, FoldControl& control,
                      Problems& problems) {
  std::vector<Entry> entries;
  bool ok = ReadEntries(path, text, entries, problems);
  for (const Entry& entry : entries) {
    std::string fault;
    if (!ApplyFoldEntry(entry, control, fault)) {
      problems.push_back(At(path, entry.line) + fault);
      ok = false;
    }
  }
  return CheckFoldControl(path, control, problems) && ok;
}

bool ParseVariableControl(const std::string& path, std::string_view text,
                          VariableControl& control, Problems& problems) {
  std::vector<Entry> entries;
  bool ok = ReadEntries(path, text, entries, problems);
  for (const Entry& entry : entries) {
    if (entry.key != "VAR" || entry.value.empty()) {
      problems.push_back(At(path, entry.line) +
                         (entry.key != "VAR" ? "unknown key " + entry.key
                                             : std::string("VAR needs a variable name")));
      ok = false;
      continue;
    }
    control.names.push_back(VariableKey(entry.value));
  }
  if (control.names.empty()) {
    problems.push_back(path + ": no VAR line");
    ok = false;
  }
  return ok;
}

bool ReadControlFile(const std::string& path, std::string& text, Problems& problems) {
  platform::Status status = platform::ReadFile(path, text);
  if (!status) problems.push_back(path + ": cannot read the control file: " + status.reason);
  return status.ok;
}

}  // namespace foldex
