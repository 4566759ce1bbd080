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

// The KEY=value lines of a control file. A line of another form comes as
// an entry without key, so that problems are reported in line order.
std::vector<Entry> ReadEntries(std::string_view text) {
  std::vector<Entry> entries;
  std::vector<Line> lines = SplitLines(text);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string_view line = Trim(TextOf(text, lines[i]));
    if (line.empty() || line.front() == ';') continue;
    line = Trim(line.substr(0, line.find(';')));
    std::size_t equals = line.find('=');
    if (equals == std::string_view::npos)
      entries.push_back({i + 1, "", std::string(line)});
    else
      entries.push_back({i + 1, Upper(Trim(line.substr(0, equals))),
                         std::string(Trim(line.substr(equals + 1)))});
  }
  return entries;
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

bool SetFoldPattern(const Entry& entry, FoldControl& control, std::string& fault) {
  if (entry.value.empty()) fault = entry.key + " needs a fold name";
  else (entry.key == "FOLD" ? control.include : control.except).push_back(Upper(entry.value));
  return fault.empty();
}

bool SetLeafOnly(const Entry& entry, FoldControl& control, std::string& fault) {
  std::string value = Upper(entry.value);
  if (value != "YES" && value != "NO") fault = "LEAF_ONLY must be YES or NO";
  control.leafOnly = value == "YES";
  return fault.empty();
}

bool ApplyFoldEntry(const Entry& entry, FoldControl& control, std::string& fault) {
  if (entry.key == "ACTION") return SetAction(entry, control, fault);
  if (entry.key == "STORE") return SetStore(entry, control, fault);
  if (entry.key == "FOLD" || entry.key == "EXCEPT") return SetFoldPattern(entry, control, fault);
  if (entry.key == "LEAF_ONLY") return SetLeafOnly(entry, control, fault);
  fault = "unknown key " + entry.key;
  return false;
}

bool ApplyVariableEntry(const Entry& entry, VariableControl& control, std::string& fault) {
  if (entry.key != "VAR") fault = "unknown key " + entry.key;
  else if (entry.value.empty()) fault = "VAR needs a variable name";
  else control.names.push_back(VariableKey(entry.value));
  return fault.empty();
}

// Applies every entry; a line of the wrong form or a faulty entry is one
// problem each, in line order.
template <typename Control, typename Apply>
bool ApplyEntries(const std::string& path, std::string_view text, Control& control, Apply apply,
                  Problems& problems) {
  bool ok = true;
  for (const Entry& entry : ReadEntries(text)) {
    std::string fault;
    if (entry.key.empty()) fault = "not a KEY=value line: " + entry.value;
    else apply(entry, control, fault);
    if (fault.empty()) continue;
    problems.push_back(At(path, entry.line) + fault);
    ok = false;
  }
  return ok;
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
  bool ok = ApplyEntries(path, text, control, ApplyFoldEntry, problems);
  return CheckFoldControl(path, control, problems) && ok;
}

bool ParseVariableControl(const std::string& path, std::string_view text,
                          VariableControl& control, Problems& problems) {
  bool ok = ApplyEntries(path, text, control, ApplyVariableEntry, problems);
  if (control.names.empty()) {
    problems.push_back(path + ": no VAR line");
    ok = false;
  }
  return ok;
}

bool ReadControlFile(const std::string& path, std::string& text, Problems& problems) {
  platform::Status status = platform::ReadFileBytes(path, text);
  if (!status) problems.push_back(path + ": cannot read the control file: " + status.reason);
  return status.ok;
}

}  // namespace foldex
