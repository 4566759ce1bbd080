#pragma once
// Walking a folder tree breadth first and reading back the relative paths
// of what it holds.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

class RunLog;

// What both scanners share: the list of relative paths found, read back one
// at a time, and the name filter. Errors met while walking (an unreadable
// folder, an entry that vanished) are logged as one error
// line each, and the walk goes on.
class TreeScanner {
 public:
  void rewindFileList();
  void setExtensionFilter(const std::string& positiveFilter);
  // The next relative path, or "" past the end.
  std::string getNextFile();

  // Raised when the start path is no folder. Nothing listens by default.
  std::function<void(const std::string& faultPathname)> InvalidPathname;

 protected:
  explicit TreeScanner(RunLog& log) : log_(log) {}

  RunLog& log_;
  std::vector<std::string> files_;
  std::size_t position_ = 0;
  std::string filter_;
};

// Collects the files below a start folder.
class TreeTool : public TreeScanner {
 public:
  explicit TreeTool(RunLog& log) : TreeScanner(log) {}

  void noMada();
  void noTP();
  void scanTree(const std::string& pathname);

 private:
  bool includeMada_ = true;
  bool includeTP_ = true;
};

// Collects every folder and file below a start folder, each folder before
// the entries inside it, for visiting a whole tree.
class TreeCopy : public TreeScanner {
 public:
  explicit TreeCopy(RunLog& log) : TreeScanner(log) {}

  // A start path that is a file raises InvalidPathname and lists nothing;
  // how the run goes on is its caller's decision.
  void scanTree(const std::string& pathname);
};
