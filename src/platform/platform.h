#pragma once
// The platform layer: the only part of the system that talks to the
// operating system. Every path given to it is in the form the rest of the
// system computes (Windows form: drive letters, backslashes); the POSIX
// implementation maps it to a host path (see posix/host_paths.cpp), the Win32 one uses
// it as it is. No function here throws for a failure of the file system:
// each returns a Status that names the reason.

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// File attribute bits, as the controller's file system has them.
enum Attribute : int {
  kReadOnly = 1,
  kHidden = 2,
  kSystem = 4,
  kFolder = 16,
  kArchive = 32,
};
// Every kind of entry but volume labels.
inline constexpr int kAnyEntry = 55;

struct Status {
  bool ok = true;
  std::string reason;  // empty when ok; a short text such as "Permission denied"

  static Status Ok() { return {}; }
  static Status Fail(std::string why) { return {false, std::move(why)}; }
  explicit operator bool() const { return ok; }
};

struct DirEntry {
  std::string name;    // as the file system gives it
  int attributes = 0;  // with kFolder for folders
  bool link = false;   // reached through a symbolic link: never entered
  // Why the entry could not be examined (it vanished after the folder was
  // read); empty when its attributes are valid.
  std::string failure;
};

// Existence by listing the path itself with the attribute mask 55: true for
// any file or folder, hidden and system ones included.
bool Exists(const std::string& path);
// The scripting file-system object's questions.
bool FileExists(const std::string& path);
bool FolderExists(const std::string& path);

Status GetAttributes(const std::string& path, int& attributes);
// Sets read-only, hidden, system and archive; the folder bit is ignored.
Status SetAttributes(const std::string& path, int attributes);

// How much a listing tells of each entry: all its attributes, or only
// whether it is a folder (and a link), which walking a tree needs and the
// file system gives without asking about each entry.
enum class ListDetail { kAttributes, kKinds };

// Entries of a folder, "." and ".." left out, ordered by their upper-cased
// names (the controller's file system lists that way).
Status ListFolder(const std::string& folder, std::vector<DirEntry>& entries,
                  ListDetail detail = ListDetail::kAttributes);
// Ordinary files (not hidden, not system, not folders) whose names end
// in "." + extension, compared without regard to case.
Status FindFiles(const std::string& folder, const std::string& extension,
                 std::vector<std::string>& names);

Status CreateFolder(const std::string& path);
// Copies the bytes and the attributes of source to a temporary file in the
// target's folder and then replaces the target in one step: the target is
// either the old file or the complete copy, never half written.
Status CopyFileAtomic(const std::string& source, const std::string& target);
Status RemoveFile(const std::string& path);
// Removes the temporary files that a writer no longer running left in
// folder: a program killed in the instant between writing a file and
// putting it in place.
void RemoveStaleTempFiles(const std::string& folder);

Status ReadFileBytes(const std::string& path, std::string& bytes);
// Atomic like CopyFileAtomic. A new file gets no special attributes; an existing
// target keeps its attributes.
Status WriteFileAtomic(const std::string& path, const std::string& bytes);

// A file read piece by piece, for files too large to hold whole.
class InputFile {
 public:
  InputFile() = default;
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  Status Open(const std::string& path);
  // Reads up to size bytes; got is 0 at the end of the file.
  Status Read(char* buffer, std::size_t size, std::size_t& got);
  void Close();

 private:
  intptr_t handle_ = -1;
};

struct RunResult {
  bool started = false;
  int32_t exitCode = 0;
  std::string reason;  // why the start failed
};
// Starts program with one argument text and waits for its end without time
// limit. The program path is given apart so that blanks in it cannot make
// another program start; on POSIX the argument text reaches the program as
// its one argument, on Windows as the rest of its command line.
RunResult RunAndWait(const std::string& program, const std::string& argumentText);

// The argument text that follows the program name. On POSIX the arguments
// are joined by one blank and every "/" is written as "\", so that the rest
// of the system sees one form of path.
std::string CommandLineText(int argc, char** argv);
// The argument text exactly as the starting program built it, nothing
// rewritten: on POSIX the arguments joined by one blank (RunAndWait hands
// it over as one), on Windows the rest of the command line.
std::string ArgumentText(int argc, char** argv);

// The folder of the running program, without trailing separator, in the
// system's form (on POSIX every "/" written as "\").
std::string ProgramFolder();
// The running program's file name without its extension.
std::string ProgramName();

// Date and time as the regional settings give them (short date, long time).
std::string DateText();
std::string TimeText();

// The two paths are the same folder or one lies inside the other, after
// mapping and with symbolic links resolved. False when either is missing.
bool SameOrNested(const std::string& a, const std::string& b);

// The host form of a path, for messages meant for a person at a terminal
// and for code that hands paths to other libraries.
std::string HostPath(const std::string& path);

// A shared library loaded at run time.
class SharedLibrary {
 public:
  SharedLibrary() = default;
  ~SharedLibrary();
  SharedLibrary(const SharedLibrary&) = delete;
  SharedLibrary& operator=(const SharedLibrary&) = delete;

  Status Load(const std::string& path);
  void* Symbol(const char* name) const;
  bool loaded() const { return handle_ != nullptr; }

 private:
  void* handle_ = nullptr;
};
// The log library's file name on this platform.
const char* LogLibraryFileName();

bool StderrIsTerminal();
// Both standard input and standard output are a terminal: a person sits at
// it, so the settings dialog can be offered there.
bool ConsoleIsTerminal();
// One line of standard input without its line end; false at the end of input.
bool ReadStdinLine(std::string& line);
void WriteStderr(const std::string& text);
void WriteStdout(const std::string& text);

}  // namespace platform
