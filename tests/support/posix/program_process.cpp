#include "support/posix/program_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace testenv {

namespace {

constexpr auto kPoll = std::chrono::milliseconds(2);
// Far beyond any run of the tests; only a hung program waits so long.
constexpr auto kLongest = std::chrono::minutes(3);

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// A program killed from outside leaves its exchange program running; as
// the reaper of orphans this process becomes its parent and can wait for
// it like for the program itself.
void AdoptOrphans() {
  static const bool adopted = prctl(PR_SET_CHILD_SUBREAPER, 1) == 0;
  static_cast<void>(adopted);
}

// Only calls that are safe between fork and exec: everything is prepared
// before the fork.
[[noreturn]] void BecomeProgram(char* const* argv, const char* output, const char* errors) {
  setpgid(0, 0);
  const int input = open("/dev/null", O_RDONLY);
  const int out = open(output, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int err = open(errors, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (input < 0 || out < 0 || err < 0) _exit(126);
  dup2(input, STDIN_FILENO);
  dup2(out, STDOUT_FILENO);
  dup2(err, STDERR_FILENO);
  execv(argv[0], argv);
  _exit(127);
}

// The signals a process catches, from its status in /proc.
unsigned long long CaughtSignals(pid_t pid, std::string& name) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  unsigned long long caught = 0;
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("Name:", 0) == 0) name = line.substr(line.find_first_not_of(" \t", 5));
    if (line.rfind("SigCgt:", 0) == 0) caught = std::stoull(line.substr(7), nullptr, 16);
  }
  return caught;
}

}  // namespace

ProgramProcess::ProgramProcess(const std::string& program,
                               const std::vector<std::string>& arguments,
                               const std::string& outputStem)
    : outputStem_(outputStem) {
  AdoptOrphans();
  std::vector<std::string> words{program};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  const std::string output = outputStem + ".out";
  const std::string errors = outputStem + ".err";
  pid_ = fork();
  if (pid_ == 0) BecomeProgram(argv.data(), output.c_str(), errors.c_str());
  // Set from both sides, so that the group exists before either goes on.
  if (pid_ > 0) setpgid(pid_, pid_);
}

ProgramProcess::~ProgramProcess() {
  if (pid_ <= 0 || !Running()) return;
  SignalGroup(SIGKILL);
  Wait();
}

void ProgramProcess::Signal(int signal) const {
  if (pid_ > 0) kill(pid_, signal);
}

void ProgramProcess::SignalGroup(int signal) const {
  if (pid_ > 0) kill(-pid_, signal);
}

bool ProgramProcess::WaitUntilCatchingStops() const {
  const std::string self = ReadWhole("/proc/self/comm");
  const auto until = std::chrono::steady_clock::now() + kLongest;
  while (std::chrono::steady_clock::now() < until) {
    std::string name;
    const unsigned long long caught = CaughtSignals(pid_, name);
    // Before its exec the child is a copy of this process, with its name.
    if (name + "\n" != self && (caught & (1ULL << (SIGINT - 1))) != 0) return true;
    siginfo_t info{};
    if (waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
        info.si_pid == pid_)
      return false;
    std::this_thread::sleep_for(kPoll);
  }
  return false;
}

bool ProgramProcess::WaitUntilExists(const std::string& hostPath) const {
  const auto until = std::chrono::steady_clock::now() + kLongest;
  while (std::chrono::steady_clock::now() < until) {
    if (std::filesystem::exists(hostPath)) return true;
    siginfo_t info{};
    if (waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
        info.si_pid == pid_)
      return std::filesystem::exists(hostPath);
    std::this_thread::sleep_for(kPoll);
  }
  return false;
}

int ProgramProcess::Wait() {
  if (pid_ <= 0 || !Running()) return status_;
  const auto until = std::chrono::steady_clock::now() + kLongest;
  int status = 0;
  // The program first; then whatever of its group it left behind.
  bool programEnded = false;
  for (;;) {
    const pid_t ended = waitpid(programEnded ? -pid_ : pid_, &status, WNOHANG);
    if (ended == pid_) {
      status_ = status;
      programEnded = true;
    } else if (ended < 0 && errno != EINTR) {
      return status_;  // none of the group is left
    } else if (ended == 0) {
      if (std::chrono::steady_clock::now() >= until) SignalGroup(SIGKILL);
      std::this_thread::sleep_for(kPoll);
    }
  }
}

std::string ProgramProcess::Output() const { return ReadWhole(outputStem_ + ".out"); }

std::string ProgramProcess::Errors() const { return ReadWhole(outputStem_ + ".err"); }

int ExitCodeOf(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : -1; }

int SignalOf(int status) { return WIFSIGNALED(status) ? WTERMSIG(status) : 0; }

}  // namespace testenv
