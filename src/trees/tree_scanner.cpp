#include "trees/tree_scanner.h"

#include <deque>

#include "core/run_log.h"
#include "platform/platform.h"
#include "trees/entry_faults.h"
#include "util/strings.h"

namespace {

struct WalkRules {
  std::string filter;  // name ending a file must have; empty for every file
  bool listFolders = false;
  bool includeMada = true;
  bool includeTP = true;
};

// Mada and TP are left out only directly below the start folder: folders of
// those names deeper down are ordinary customer folders.
bool LeftOutAtTop(const std::string& name, const WalkRules& rules) {
  return (!rules.includeMada && util::EqualsNoCase(name, "Mada")) ||
         (!rules.includeTP && util::EqualsNoCase(name, "TP"));
}

bool PassesFilter(const std::string& name, const std::string& filter) {
  return filter.empty() || util::EndsWithNoCase(name, filter);
}

// On the controller's file system two names that differ only in case are
// one name: the second entry would overwrite the first in the destination.
// The listing puts such names side by side; the later one is left out.
void ReportCaseClash(RunLog& log, const std::string& kept, const std::string& leftOut) {
  log.LogOnce("# " + leftOut + " : name differs from " + kept + " only in case, left out");
}

// Breadth first with a queue of folders, so that deep trees need neither
// recursion nor more memory than the list of what was found.
void WalkTree(RunLog& log, const std::string& start, const WalkRules& rules,
              std::vector<std::string>& found) {
  const std::size_t cut = start.size() + 1;
  std::deque<std::string> queue{start};
  std::vector<platform::DirEntry> entries;
  while (!queue.empty()) {
    std::string folder = std::move(queue.front());
    queue.pop_front();
    const bool atTop = folder.size() == start.size();
    platform::Status status = platform::ListFolder(folder, entries, platform::ListDetail::kKinds);
    if (!status) {
      log.LogOnce("# Can not read folder: " + folder + " : " + status.reason);
      continue;
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
      const platform::DirEntry& entry = entries[i];
      std::string path = folder + "\\" + entry.name;
      if (i > 0 && util::EqualsNoCase(entry.name, entries[i - 1].name)) {
        ReportCaseClash(log, folder + "\\" + entries[i - 1].name, path);
        continue;
      }
      if (!entry.failure.empty()) {
        log.LogOnce("# Can not read entry: " + path + " : " + entry.failure);
        continue;
      }
      // A name the controller cannot hold may climb out of the tree when
      // joined into a path ("..\..\x.src").
      if (!util::IsControllerName(entry.name)) {
        log.LogOnce("# " + path + " : name not allowed on the controller, left out");
        continue;
      }
      if (entry.attributes & platform::kFolder) {
        // A linked folder may lead out of the tree or back into it.
        if (entry.link || (atTop && LeftOutAtTop(entry.name, rules))) continue;
        if (rules.listFolders) found.push_back(path.substr(cut));
        queue.push_back(std::move(path));
      } else if (entry.link) {
        // Its target may lie anywhere on the host.
        ReportEntryOnce(log, path, "# " + path + " : symbolic link, left out");
      } else if (entry.special) {
        // A FIFO or a device would never end or never answer.
        ReportEntryOnce(log, path, "# " + path + " : not an ordinary file, left out");
      } else if (PassesFilter(entry.name, rules.filter)) {
        found.push_back(path.substr(cut));
      }
    }
  }
}

// "C:\R1\" becomes "C:\R1\.", so that relative paths never start with a
// backslash whether or not the caller gave one.
std::string StartFolder(std::string path) {
  if (!path.empty() && path.back() == '\\') path += '.';
  return path;
}

// Every read moves on, past the end too: entries that a later scan appends
// are read from the position reached, as with any other read.
std::string NextOf(const std::vector<std::string>& list, std::size_t& position) {
  ++position;
  return position <= list.size() ? list[position - 1] : std::string();
}

void Raise(const std::function<void(const std::string&)>& event, const std::string& path) {
  if (event) event(path);
}

}  // namespace

void TreeScanner::rewindFileList() { position_ = 0; }

void TreeScanner::setExtensionFilter(const std::string& positiveFilter) {
  filter_ = positiveFilter;
}

std::string TreeScanner::getNextFile() { return NextOf(files_, position_); }

void TreeTool::noMada() { includeMada_ = false; }

void TreeTool::noTP() { includeTP_ = false; }

void TreeTool::scanTree(const std::string& pathname) {
  if (!platform::FolderExists(pathname)) return Raise(InvalidPathname, pathname);
  WalkRules rules;
  rules.filter = filter_;
  rules.includeMada = includeMada_;
  rules.includeTP = includeTP_;
  WalkTree(log_, StartFolder(pathname), rules, files_);
}

void TreeCopy::scanTree(const std::string& pathname) {
  int attributes = 0;
  if (!platform::GetAttributes(pathname, attributes)) return Raise(InvalidPathname, pathname);
  if (!(attributes & platform::kFolder)) return Raise(InvalidPathname, pathname);
  WalkRules rules;
  rules.filter = filter_;
  rules.listFolders = true;
  WalkTree(log_, StartFolder(pathname), rules, files_);
}
