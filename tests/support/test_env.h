#pragma once
// Scratch installations for tests: a temporary host folder mapped as drive
// C:, a program folder inside it, and in-process runs of the program.

#include <optional>
#include <string>
#include <vector>

#include "core/context.h"
#include "log/log_library.h"
#include "platform/platform.h"

namespace testenv {

// A fresh host folder mapped as drive C: for the life of the object. Its
// folder lies in the build folder's scratch/; drives may nest.
class ScratchDrive {
 public:
  ScratchDrive();
  ~ScratchDrive();
  ScratchDrive(const ScratchDrive&) = delete;
  ScratchDrive& operator=(const ScratchDrive&) = delete;

  const std::string& root() const { return root_; }
  // Host path of a system path on drive C: ("C:\A\B" or "A\B" below C:\).
  std::string Host(const std::string& systemPath) const;
  // Writes bytes to the file, creating its folders.
  void Write(const std::string& systemPath, const std::string& bytes) const;
  std::string Read(const std::string& systemPath) const;
  bool Exists(const std::string& systemPath) const;
  void MakeFolder(const std::string& systemPath) const;

 private:
  std::string root_;
  std::optional<std::string> outerDrive_;
};

// Lines of a log file written by the log library (CR LF separated).
std::vector<std::string> ReadLogLines(const std::string& hostPath);

// The log's lines of what went wrong (# and !), one a line: what a check of
// a run's exit code shows when the run ended otherwise than expected.
std::string LoggedFaults(const std::string& hostPath);

// Masks what differs between machines: the date and time of the header, the
// log library's folder and the program folder.
std::vector<std::string> MaskedLog(std::vector<std::string> lines,
                                   const std::string& programFolder);

// The built program folder (program, log library, exchange program, ini,
// control folder), as the build lays it out.
std::string BuiltProgramFolder();

// The program's file name in the built program folder.
std::string ProgramFileName();

// Runs a program, its two streams gathered with CR LF read as LF (Windows
// ends a program's stream lines so). A program that could not be started
// gives exit code -1 and, as its output, the reason, so that a failed
// check shows why.
std::string RunCaptured(const std::string& program, const std::string& argumentText, int& exitCode);

// Lays out a program folder at systemPath: a copy of the built one. With
// recordingFoldex, Foldex.exe is a stand-in (support/fake_foldex.cpp) that
// appends its argument text to foldex-calls.txt in the program folder and
// exits with 0.
void MakeProgramFolder(const ScratchDrive& drive, const std::string& systemPath,
                       bool recordingFoldex);
// Puts the stand-in alone into folder as Foldex.exe.
void InstallFakeFoldex(const ScratchDrive& drive, const std::string& folder);
// Tells the stand-in in programFolder what to do besides recording: lines
// such as "exit 3" or "exchange" (see support/fake_foldex.cpp).
void SetFoldexBehaviour(const ScratchDrive& drive, const std::string& programFolder,
                        const std::string& behaviour);
// The installation pair that whole runs upgrade, as on the controller.
inline const std::string kOldInstallation = "C:\\QVD_OLDINST\\QVD\\R1";
inline const std::string kNewInstallation = "C:\\QVD\\ROBOTER\\QVD\\R1";
// The argument text of a batch run over that pair.
inline const std::string kRunCommand = kOldInstallation + "|" + kNewInstallation;
// The program folder that whole-run tests lay out.
inline const std::string kProgramFolder = "C:\\PROG";

// Lays out the program folder C:\PROG with the recording stand-in, and an
// old and a new installation without files: the folders a run checks
// before it starts its stages, an empty template folder, the log folder.
void LayEmptyInstallations(const ScratchDrive& drive);
// Lays out the sample installations of examples/ on the drive (a fresh
// copy, with their attributes) and a program folder at programFolder with
// the real exchange program.
void LaySamples(const ScratchDrive& drive, const std::string& programFolder);

// Lays the samples without their two programs whose folds do not pair up
// (a complete run ends with exit code 0), and more files in both
// installations up to `files` in the old one, of which `userFiles` are user
// programs the run upgrades (every second one already in the new
// installation in an older form) and the rest files both installations
// hold alike, every twentieth of them hidden in the old one only. Written
// directly, without syncing, so that a test can lay it anew for each run.
void LayLargeInstallation(const ScratchDrive& drive, const std::string& programFolder, int files,
                          int userFiles);

// The arguments the recording stand-in received, one per call.
std::vector<std::string> RecordedFoldexCalls(const ScratchDrive& drive,
                                             const std::string& programFolder);

// Attributes of a system path; a failure fails the test (Get gives -1).
void SetAttributes(const std::string& path, int attributes);
int GetAttributes(const std::string& path);

// The bits a file has that was just written and never given attributes:
// Windows marks every file it creates or changes for backup (archive).
inline constexpr int kWrittenFile =
#ifdef _WIN32
    platform::kArchive;
#else
    0;
#endif

// Attribute bits (with kFolder for a folder) as a test may compare them.
// The emulator that runs the Windows suite on the build machines reports
// the archive bit on every file, cleared or not, and keeps neither
// read-only nor archive on a folder; there those bits are left out of
// both sides. On Windows and POSIX themselves every bit counts.
int Comparable(int attributes);

// A context for a batch run in-process, with the real log library loaded
// from the build. Keep the object alive while the context is used.
struct BatchRun {
  LumoLibrary lumo;
  Context context;
  explicit BatchRun(const std::string& programFolder);
  // Runs with commandLine as the program would; returns the exit code.
  int Run(const std::string& commandLine);
};

// A context logging to memory, for single operations.
struct MemoryRun {
  MemoryLog log;
  Context context;
  MemoryRun();
  const std::vector<std::string>& lines() const { return log.lines; }
};

}  // namespace testenv
