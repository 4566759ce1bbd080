#pragma once
// The faces of a run that the lower stages see instead of the whole
// context: the log with its memory of what was reported, and what a copy
// between the trees needs besides.

#include <set>
#include <string>

class CArg;
struct Context;

class RunLog {
 public:
  // Writes one log line. A line is one line: a name holding a line end
  // must not add lines of its own.
  virtual void Log(const std::string& line) = 0;
  // Writes the line unless the same line was written before in this run.
  virtual void LogOnce(const std::string& line) = 0;
  // Writes the line unless something was reported under key before in
  // this run (or the same line was).
  virtual void LogOnceFor(const std::string& key, const std::string& line) = 0;
  // Has the lines logged so far reach the log file: before a child process
  // starts and after each step, so that a killed run loses none of them.
  virtual void FlushLog() = 0;

 protected:
  ~RunLog() = default;
};

// What an operation writing into the destination tree takes of its run.
struct TreeRun {
  RunLog& log;
  const CArg& arg;
  // Folders, upper-cased, already rid of stale temporary files in this run.
  std::set<std::string>& cleanedFolders;

  TreeRun(RunLog& log, const CArg& arg, std::set<std::string>& cleanedFolders)
      : log(log), arg(arg), cleanedFolders(cleanedFolders) {}
  // Every stage holds its run's context; the face is taken from it.
  TreeRun(Context& context);  // NOLINT(google-explicit-constructor)
};
