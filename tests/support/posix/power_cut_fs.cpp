#include "support/posix/power_cut_fs.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace testenv {

namespace {

constexpr auto kPoll = std::chrono::milliseconds(5);
constexpr auto kMountWait = std::chrono::seconds(20);

std::string ReadFd(int fd) {
  std::string text;
  char buffer[4096];
  for (;;) {
    const ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    text.append(buffer, static_cast<std::size_t>(got));
  }
  return text;
}

std::string ReadWhole(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw std::runtime_error("cannot read " + path + ": " + std::strerror(errno));
  std::string text = ReadFd(fd);
  close(fd);
  return text;
}

// A folder is a mount point once it lies on another device than its parent.
bool IsMountPoint(const std::string& folder) {
  struct stat self {
  }, parent{};
  return stat(folder.c_str(), &self) == 0 && stat((folder + "/..").c_str(), &parent) == 0 &&
         self.st_dev != parent.st_dev;
}

bool Exited(pid_t pid, int& status) { return waitpid(pid, &status, WNOHANG) == pid; }

// Only calls that are safe between fork and exec.
[[noreturn]] void BecomeFileSystem(char* const* argv, int errors) {
  setpgid(0, 0);
  // Gone with the test, so that no mount outlives it (auto_unmount then
  // takes the mount down).
  prctl(PR_SET_PDEATHSIG, SIGTERM);
  const int input = open("/dev/null", O_RDONLY);
  if (input < 0) _exit(126);
  dup2(input, STDIN_FILENO);
  dup2(errors, STDOUT_FILENO);
  dup2(errors, STDERR_FILENO);
  execv(argv[0], argv);
  _exit(127);
}

int RunUnmount(const std::string& mountHost) {
  const char* argv[] = {"fusermount3", "-u", "-q", mountHost.c_str(), nullptr};
  pid_t pid = -1;
  if (posix_spawnp(&pid, "fusermount3", nullptr, nullptr, const_cast<char* const*>(argv),
                   environ) != 0)
    return -1;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

std::string PowerCutFsMissing() {
  const std::string program = VANTREL_POWERCUT_FS;
  if (program.empty()) return "the power-cut file system is not built (no FUSE 3 found)";
  if (access(program.c_str(), X_OK) != 0) return program + " cannot be run";
  if (access("/dev/fuse", F_OK) != 0) return "there is no /dev/fuse";
  return "";
}

PowerCutFs::PowerCutFs(const std::string& seedHost, const std::string& mountHost)
    : mountHost_(mountHost) {
  if (whyNot_ = PowerCutFsMissing(); !whyNot_.empty()) return;
  std::vector<std::string> words{VANTREL_POWERCUT_FS, seedHost, mountHost, "-o", "auto_unmount"};
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  int errors[2];
  if (pipe2(errors, O_CLOEXEC) != 0) {
    whyNot_ = std::string("pipe: ") + std::strerror(errno);
    return;
  }
  pid_ = fork();
  if (pid_ == 0) BecomeFileSystem(argv.data(), errors[1]);
  close(errors[1]);
  const auto until = std::chrono::steady_clock::now() + kMountWait;
  int status = 0;
  while (pid_ > 0 && !IsMountPoint(mountHost_)) {
    const bool exited = Exited(pid_, status);
    if (exited || std::chrono::steady_clock::now() > until) {
      if (!exited) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &status, 0);
      }
      pid_ = -1;
      whyNot_ =
          "the power-cut file system did not mount at " + mountHost_ + ": " + ReadFd(errors[0]);
      break;
    }
    std::this_thread::sleep_for(kPoll);
  }
  close(errors[0]);
  mounted_ = pid_ > 0;
}

PowerCutFs::~PowerCutFs() {
  if (pid_ <= 0) return;
  if (!Unmount()) kill(pid_, SIGTERM);
  int status = 0;
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!Exited(pid_, status)) {
    if (std::chrono::steady_clock::now() > until) {
      kill(pid_, SIGKILL);
      waitpid(pid_, &status, 0);
      break;
    }
    std::this_thread::sleep_for(kPoll);
  }
  // The helper that would have unmounted it after a crash ends with it;
  // where this process adopts orphans, it is reaped here.
  const auto helperUntil = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (std::chrono::steady_clock::now() < helperUntil) {
    const pid_t ended = waitpid(-pid_, &status, WNOHANG);
    if (ended < 0 && errno != EINTR) break;
    if (ended == 0) std::this_thread::sleep_for(kPoll);
  }
}

// A mount still busy with a process of the test that is ending is tried
// again for a while.
bool PowerCutFs::Unmount() const {
  for (int attempt = 0; attempt < 50; ++attempt) {
    if (RunUnmount(mountHost_) == 0) return true;
    if (!IsMountPoint(mountHost_)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return false;
}

void PowerCutFs::Command(const std::string& line) const {
  const std::string path = mountHost_ + "/.powercut";
  const int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) throw std::runtime_error("cannot open " + path + ": " + std::strerror(errno));
  const std::string text = line + "\n";
  const ssize_t wrote = write(fd, text.data(), text.size());
  const int error = errno;
  close(fd);
  if (wrote != static_cast<ssize_t>(text.size()))
    throw std::runtime_error("the power-cut file system refused " + line + ": " +
                             std::strerror(error));
}

void PowerCutFs::Reset() const { Command("reset"); }

void PowerCutFs::CutAfter(std::uint64_t operations) const {
  Command("cut " + std::to_string(operations));
}

void PowerCutFs::Reboot() const { Command("reboot"); }

void PowerCutFs::TornCuts(bool torn, std::uint64_t seed) const {
  Command(torn ? "torn " + std::to_string(seed) : std::string("torn off"));
}

std::string PowerCutFs::State() const { return ReadWhole(mountHost_ + "/.powercut"); }

std::uint64_t PowerCutFs::Field(const std::string& name) const {
  std::istringstream lines(ReadWhole(mountHost_ + "/.powercut"));
  for (std::string line; std::getline(lines, line);)
    if (line.rfind(name + " ", 0) == 0) return std::stoull(line.substr(name.size() + 1));
  return 0;
}

std::uint64_t PowerCutFs::Count() const { return Field("count"); }

std::uint64_t PowerCutFs::CutAt() const { return Field("cut"); }

std::vector<std::string> PowerCutFs::Operations() const {
  std::istringstream lines(ReadWhole(mountHost_ + "/.powercut-ops"));
  std::vector<std::string> operations;
  for (std::string line; std::getline(lines, line);)
    operations.push_back(line.substr(line.find(' ') + 1));
  return operations;
}

}  // namespace testenv
