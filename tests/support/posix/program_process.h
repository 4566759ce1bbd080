#pragma once
// The built program started as a process of its own, as a user or a
// service starts it: in a process group of its own (the group a terminal's
// Ctrl-C reaches), its standard output and error written to files, so that
// a test can interrupt it from outside at a moment of its choice.

#include <sys/types.h>

#include <string>
#include <vector>

namespace testenv {

class ProgramProcess {
 public:
  // Starts program with arguments; its output goes to outputStem + ".out"
  // and ".err". The drive mapping of the test is the program's too.
  ProgramProcess(const std::string& program, const std::vector<std::string>& arguments,
                 const std::string& outputStem);
  // A process still running is killed with everything of its group.
  ~ProgramProcess();
  ProgramProcess(const ProgramProcess&) = delete;
  ProgramProcess& operator=(const ProgramProcess&) = delete;

  bool started() const { return pid_ > 0; }
  void Signal(int signal) const;
  // To every process of its group: the program and its exchange program.
  void SignalGroup(int signal) const;
  // Waits until the program catches SIGINT (its stop requests are set
  // up); false when it ended first.
  bool WaitUntilCatchingStops() const;
  // Waits until the file at hostPath exists; false when the program and
  // its group ended first.
  bool WaitUntilExists(const std::string& hostPath) const;
  // Waits for the program and then for what it left running in its group
  // (an exchange program outlives a killed run): nothing of it writes
  // after this returns. The status as waitpid gives it.
  int Wait();
  bool Running() const { return status_ < 0; }

  std::string Output() const;
  std::string Errors() const;

 private:
  pid_t pid_ = -1;
  int status_ = -1;
  std::string outputStem_;
};

// Exit code of a status that Wait gave, or -1 when the program was ended
// by a signal.
int ExitCodeOf(int status);
// The signal that ended the program, or 0 when it exited.
int SignalOf(int status);

}  // namespace testenv
