#pragma once
// Walking a folder tree breadth first and reading back the relative paths
// of what it holds.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

struct Context;

// Collects the files below a start folder. Errors met while walking (an
// unreadable folder, an entry that vanished) are logged on the context as
// one error line each, and the walk goes on.
class TreeTool {
 public:
  explicit TreeTool(Context& context);

  void noMada();
  void noTP();
  void rewindFileList();
  void setExtensionFilter(const std::string& positiveFilter);
  // The next relative path, or "" past the end.
  std::string getNextFile();
  void scanTree(std::string pathname);

  // Raised when the start path is no folder. Nothing listens by default.
  std::function<void(const std::string& faultPathname)> InvalidPathname;

 private:
  Context& context_;
  std::vector<std::string> files_;
  std::size_t position_ = 0;
  std::string filter_;
  bool includeMada_ = true;
  bool includeTP_ = true;
};

// Collects every folder and file below a start folder, each folder before
// the entries inside it, for visiting a whole tree. Errors are logged as
// with TreeTool.
class TreeCopy {
 public:
  explicit TreeCopy(Context& context);

  void rewindFileList();
  void setExtensionFilter(const std::string& positiveFilter);
  // The next relative path, or "" past the end.
  std::string getNextFile();
  // A start path that is an existing file ends the run (FinishRun).
  void scanTree(std::string pathname);

  // Raised when the start path is no folder. Nothing listens by default.
  std::function<void(const std::string& faultPathname)> InvalidPathname;

 private:
  Context& context_;
  std::vector<std::string> files_;
  std::size_t position_ = 0;
  std::string filter_;
};
