#pragma once
// The platform layer: the only part of the system that talks to the
// operating system. Every path given to it is in the form the rest of the
// system computes (Windows form: drive letters, backslashes); the POSIX
// implementation maps it to a host path (see posix/host_paths.cpp), the Win32 one uses
// it as it is. No function here throws for a failure of the file system:
// each returns a Status that names the reason.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
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
// What SetAttributes sets: every bit but the folder's.
inline constexpr int kSettable = kReadOnly | kHidden | kSystem | kArchive;

// The base of every object of this layer that holds something of the
// system (an open file, a lock, a scope in force): it is let go once, by
// the one object that holds it.
class Unique {
 public:
  Unique(const Unique&) = delete;
  Unique& operator=(const Unique&) = delete;

 protected:
  Unique() = default;
  ~Unique() = default;
};

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
  // Neither file nor folder (a FIFO, a device, a socket): never opened.
  bool special = false;
  // Why the entry could not be examined (it vanished after the folder was
  // read); empty when its attributes are valid.
  std::string failure;
};

class NameCache;
// While an object of this class lives, the layer remembers the names it
// found in each folder and keeps them true through its own writes, so that
// matching names without regard to case lists a folder once, not once per
// name. A run owns one; one made while another lives adds nothing.
class NameCacheScope : Unique {
 public:
  NameCacheScope();
  ~NameCacheScope();

 private:
  std::unique_ptr<NameCache> cache_;  // null under an outer scope
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

// The path itself is a symbolic link (or another kind of redirection the
// file system follows), whether or not its target exists.
bool IsSymbolicLink(const std::string& path);

// Which stored file a name stands for, and its state. Two names with the
// same volume and index are one file (hard links, bind mounts); a replace
// by rename gives the name a new index.
struct FileIdentity {
  uint64_t volume = 0;
  uint64_t index = 0;
  uint64_t links = 0;  // names the file has
  uint64_t size = 0;
  int64_t modified = 0;  // in the file system's finest unit
  // The last change of its bytes, names or attributes, in the same unit:
  // a write that keeps size and modification time still moves it.
  int64_t changed = 0;
};
Status GetFileIdentity(const std::string& path, FileIdentity& identity);
// The same file in the same state: nothing has written it, renamed it
// away or changed its attributes between the two looks.
bool SameFileState(const FileIdentity& a, const FileIdentity& b);
// Whether the file could be opened for writing now, with the reason why
// not ("Permission denied"); nothing is opened for long or changed.
Status ProbeWritable(const std::string& path);

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

// Every call below that writes, creates, removes or sets attributes
// refuses a path that runs through a symbolic link below the drive's root:
// it would write where the path does not say. Reading opens only ordinary
// files: a FIFO or a device is refused, never waited for.

Status CreateFolder(const std::string& path);
// Copies the bytes and the attributes of source to a temporary file in the
// target's folder and then replaces the target in one step: the target is
// either the old file or the complete copy, never half written, and the
// copy is on the disk before the call returns. A source that is a symbolic
// link is refused. A read-only target folder still takes the file.
Status CopyFileAtomic(const std::string& source, const std::string& target);
Status RemoveFile(const std::string& path);
// Removes a folder that holds nothing.
Status RemoveFolder(const std::string& path);
// Removes the temporary files that a writer no longer running left in
// folder: a program killed in the instant between writing a file and
// putting it in place.
void RemoveStaleTempFiles(const std::string& folder);

Status ReadFileBytes(const std::string& path, std::string& bytes);
// Atomic like CopyFileAtomic. A new file gets no special attributes; an existing
// target keeps its attributes.
Status WriteFileAtomic(const std::string& path, const std::string& bytes);

// A file written piece by piece that replaces its target in one step on
// Commit, atomic like WriteFileAtomic: for results too large to hold whole.
// Small pieces are gathered before they are written. Without Commit the
// target stays as it was and nothing is left behind.
class AtomicOutput : Unique {
 public:
  AtomicOutput();
  ~AtomicOutput();

  Status Open(const std::string& path);
  // A failure sticks: later writes and the commit report it.
  Status Write(const char* data, std::size_t size);
  Status Commit();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// The bytes of a file for reading, mapped into memory where the platform
// can: a large file is then neither copied nor cleared first. They stay as
// they were while the object lives, also when the file is replaced by a
// rename meanwhile (a file cut shorter in place by another program would
// end the process: the exchange program works alone on its files).
class FileBytes : Unique {
 public:
  FileBytes() = default;
  ~FileBytes();

  Status Open(const std::string& path);
  std::string_view bytes() const { return view_; }

 private:
  std::string copy_;  // the bytes, where they were read instead
  void* mapped_ = nullptr;
  std::size_t mappedSize_ = 0;
  std::string_view view_;
};

// A new file written at its end as things happen, each piece with one
// write, and put on the disk when asked: a journal that must be of use
// however the process ends. Append alone orders nothing; Sync returns
// once everything appended is on the disk.
class AppendFile : Unique {
 public:
  AppendFile() = default;
  ~AppendFile();

  // Fails when something is at path already.
  Status Create(const std::string& path);
  Status Append(const std::string& bytes);
  Status Sync();
  void Close();
  bool open() const { return handle_ != -1; }

 private:
  intptr_t handle_ = -1;
};
// Puts the names in folder (files linked, created or renamed into it) on
// the disk.
Status MakeFolderDurable(const std::string& folder);

// While a DurableBatch lives, the layer's changes are not put on the disk
// one by one: each changed file and each folder whose names changed is
// noted, and MakeChangesDurable puts all of them on the disk at once (it
// is also called by itself once enough are noted). Programs started
// meanwhile leave their writes to this process, which puts on the disk the
// files announced to it (AnnounceChange). What a change watcher writes to
// keep a file is on the disk before the change, batch or not. Safe only
// where a watcher's journal, on the disk before each change, can undo
// what a power cut leaves half-done.
class DurableBatch : Unique {
 public:
  DurableBatch();
  // Puts what is noted on the disk; a failure is lost here: call
  // MakeChangesDurable first to hear of it.
  ~DurableBatch();
};
// While it lives, files written are on the disk at once, as outside a
// batch, but what else changes (folders created or removed, attributes
// set) is noted as in a batch and put on the disk by MakeChangesDurable.
// For a run without a journal, which a half-done batch would leave
// without a way back.
class DurableNames : Unique {
 public:
  DurableNames();
  // Puts what is noted on the disk, as a batch does.
  ~DurableNames();
};
// While it lives, the batch in force, if any, is put on the disk and
// held: each change is on the disk before the next, and programs started
// meanwhile put their own writes there. For files whose new bytes are made
// of their old ones: a power cut must leave one or the other.
class EachChangeDurable : Unique {
 public:
  EachChangeDurable();
  ~EachChangeDurable();

 private:
  int held_;
};
// Puts every change noted since the last call on the disk; the first
// failure, if any (the rest are still tried).
Status MakeChangesDurable();
// Calls that put a file or a folder on the disk, since the process
// started: for tests and the benchmark.
std::size_t SyncCount();

// A file read piece by piece, for files too large to hold whole.
class InputFile : Unique {
 public:
  InputFile() = default;
  ~InputFile();

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
// Like RunAndWait, and gathers what the program writes to its standard
// output and standard error, in the order written, into output.
RunResult RunAndCapture(const std::string& program, const std::string& argumentText,
                        std::string& output);

// The id of the running process. Temporary files carry their writer's id,
// so that a writer no longer running can be told from one still at work.
long CurrentProcessId();

// Sets or removes a variable of this process's environment; programs it
// starts afterwards inherit the change.
Status SetEnvironmentValue(const std::string& name, const std::string& value);
Status RemoveEnvironmentValue(const std::string& name);

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
// The local date and time as "yyyy-mm-dd_hh-mm-ss", the same everywhere:
// for names that sort by time.
std::string StampText();

// The two paths are the same folder or one lies inside the other, after
// mapping and with symbolic links resolved. False when either is missing.
bool SameOrNested(const std::string& a, const std::string& b);

// The host form of a path, for messages meant for a person at a terminal
// and for code that hands paths to other libraries.
std::string HostPath(const std::string& path);

// A shared library loaded at run time.
class SharedLibrary : Unique {
 public:
  SharedLibrary() = default;
  ~SharedLibrary();

  Status Load(const std::string& path);
  // Loads from a host path as the operating system names it, unmapped.
  Status LoadHostPath(const std::string &hostPath);
  void* Symbol(const char* name) const;
  bool loaded() const { return handle_ != nullptr; }

 private:
  void* handle_ = nullptr;
};
// The log library's file name on this platform.
const char* LogLibraryFileName();
// The host path of fileName in the running program's folder as the
// operating system names that folder. It never goes through the system
// form: on POSIX a folder named "a\b" would map to the folders a and b.
std::string HostPathBesideProgram(const std::string &fileName);

// What a read-only scope kept from being done.
struct WouldDo {
  std::vector<std::string> foldersCreated;  // in the order of creation
  std::vector<std::string> filesWritten;    // copies and written files
  int attributeChanges = 0;                 // entries whose attributes would differ
  std::vector<std::string> programsNotStarted;
};
// While an object of this class lives, nothing is changed: creating,
// copying, writing, removing, setting attributes and starting programs do
// nothing and succeed, and the questions about the file system are answered
// as if they had been done. A plan of a run is made by running it in such a
// scope. One scope at a time.
struct ReadOnlyOverlay;
class ReadOnlyScope : Unique {
 public:
  ReadOnlyScope();
  ~ReadOnlyScope();
  const WouldDo& wouldDo() const;

 private:
  ReadOnlyOverlay* overlay_;
};
bool ReadOnly();

// What is about to change, as a change watcher is told it.
enum class Change {
  kReplace,     // a file written or copied anew, put in place by a rename
  kInPlace,     // a file another program is about to change
  kNewFolder,   // a folder about to be created
  kRemoval,     // a file about to be removed
  kAttributes,  // attributes about to be set
};
// A change told ahead of time (AnnounceChanges).
struct AnnouncedChange {
  std::string path;
  Change change;
};
// Told of every change the layer is about to make, before it is made, while
// a ChangeWatchScope lives: so that what was there can be kept first. Its
// own changes are not told to it again.
class ChangeWatcher {
 public:
  virtual ~ChangeWatcher() = default;
  // attributes: the ones about to be set (kAttributes), else 0. A failure
  // refuses the change: it is not made, and the call that would have made
  // it fails with this reason.
  virtual Status BeforeChange(const std::string& path, Change change, int attributes) = 0;
  // Changes told ahead (AnnounceChanges); by default each is told alone.
  virtual void BeforeChanges(const std::vector<AnnouncedChange>& changes);
};
// One scope at a time; none takes effect inside a read-only scope.
class ChangeWatchScope : Unique {
 public:
  explicit ChangeWatchScope(ChangeWatcher& watcher);
  ~ChangeWatchScope();

 private:
  ChangeWatcher* outer_;
};
// Tells the watcher, if any, that another program started from here is
// about to change path (Change::kInPlace); a failure: the watcher refuses,
// and the program must not be started on path.
Status AnnounceChange(const std::string& path);
// Tells the watcher, if any, in one go of changes the caller will make
// soon, so that what they need kept is kept and on the disk at once
// instead of before each change. Told too early is harmless: what was
// kept of an entry that does not change is the entry as it is. A failure
// refuses nothing: each change is still told when it is made.
void AnnounceChanges(const std::vector<AnnouncedChange>& changes);

// A second name for the file existing, on the same volume: link then stays
// the file as it is now while existing is replaced by a rename. Fails where
// the file system has no hard links or the two lie on different volumes.
Status AddHardLink(const std::string& existing, const std::string& link);

// An exclusive lock on a file that is created when missing and never
// deleted, held until the object ends (or the process does).
class FileLock : Unique {
 public:
  FileLock() = default;
  ~FileLock();

  // Takes the lock without waiting; acquired is false when another process
  // holds it.
  Status TryAcquire(const std::string& path, bool& acquired);
  bool held() const { return handle_ != -1; }

 private:
  intptr_t handle_ = -1;
};

// Requests to stop a run: Ctrl-C, a termination or hang-up signal, the
// console's close, the end of the session, the progress window's close
// box. Taking one only notes it (a signal handler may do nothing more);
// the run asks between its steps and ends at the next one.
enum class StopCause : int {
  kNone = 0,
  kInterrupt,
  kTerminate,
  kHangUp,
  kConsole,
  kSession,
  kUser
};
// Catches the operating system's requests from now on (POSIX: SIGINT,
// SIGTERM, SIGHUP; Windows: the console's control events). Release gives
// them their default effect back.
void CatchStopRequests();
void ReleaseStopRequests();
// Notes a request made inside the program (the close box, the session's end).
void RequestStop(StopCause cause);
// The first request since the last clear; kNone while there is none.
StopCause StopRequested();
void ClearStopRequest();
// The cause as the run's log names it: "SIGINT", "the end of the session", ...
std::string StopCauseText(StopCause cause);

void SleepMilliseconds(int milliseconds);

// A write beyond the process's file size limit fails like one on a full
// disk instead of ending the process.
void IgnoreFileSizeSignal();

// A program without a console of its own (vantrel.exe is a windowed
// program) writes its standard streams that are not redirected to the
// console of the program that started it, where there is one: a command
// prompt then sees the usage and the summary. Does nothing on POSIX.
void AttachParentConsole();
bool StderrIsTerminal();
// Standard error leads somewhere (a console, a file, a pipe): a program
// started by a double click has none, and must show what it cannot say.
bool StderrReachesSomeone();
// The width in columns of the terminal standard error writes to: the
// terminal's own, else the environment variable COLUMNS, else 80.
int TerminalColumns();
// Both standard input and standard output are a terminal: a person sits at
// it, so the settings dialog can be offered there.
bool ConsoleIsTerminal();
// One line of standard input without its line end; false at the end of input.
bool ReadStdinLine(std::string& line);
void WriteStderr(const std::string& text);
void WriteStdout(const std::string& text);

// Key by key from the terminal, without its echo, until EndKeyInput: what a
// line editor reads. False where standard input is no terminal.
bool BeginKeyInput();
void EndKeyInput();
// One key's bytes as the terminal sends them, an escape sequence whole;
// false at the end of input.
bool ReadKey(std::string& bytes);
// Drops what was typed on the terminal but not yet read.
void DropTypeAhead();
// The terminal's echo of typed keys, off while a run works.
void SetTerminalEcho(bool on);

}  // namespace platform
