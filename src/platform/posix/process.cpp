// Child processes, the running program, and libraries loaded at run time.

#include <dlfcn.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <vector>

#include "platform/paths.h"
#include "platform/posix/internal.h"

extern char** environ;

namespace platform {

using posix::MapPath;

namespace {

// Starts host with argumentText as its one argument; actions may set up
// its standard streams.
RunResult Spawn(std::string host, const std::string& argumentText,
                const posix_spawn_file_actions_t* actions, pid_t& pid) {
  RunResult result;
  std::vector<char*> argv = {host.data(), const_cast<char*>(argumentText.c_str()), nullptr};
  int error = posix_spawn(&pid, host.c_str(), actions, nullptr, argv.data(), environ);
  if (error != 0) {
    result.reason = std::strerror(error);
    return result;
  }
  result.started = true;
  return result;
}

void Wait(pid_t pid, RunResult& result) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) {
      result.exitCode = -1;
      return;
    }
  }
  if (WIFEXITED(status))
    result.exitCode = WEXITSTATUS(status);
  else if (WIFSIGNALED(status))
    result.exitCode = 128 + WTERMSIG(status);
}

void ReadUntilEnd(int fd, std::string& output) {
  char buffer[4096];
  for (;;) {
    ssize_t got = read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return;
    output.append(buffer, static_cast<std::size_t>(got));
  }
}

}  // namespace

RunResult os::StartAndWait(const std::string& host, const std::string& argumentText) {
  pid_t pid = 0;
  RunResult result = Spawn(host, argumentText, nullptr, pid);
  if (result.started) Wait(pid, result);
  return result;
}

RunResult os::StartAndCapture(const std::string& host, const std::string& argumentText,
                              std::string& output) {
  int pipeEnds[2];
  if (pipe2(pipeEnds, O_CLOEXEC) != 0) return RunResult{false, 0, std::strerror(errno)};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDERR_FILENO);
  pid_t pid = 0;
  RunResult result = Spawn(host, argumentText, &actions, pid);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeEnds[1]);
  if (result.started) ReadUntilEnd(pipeEnds[0], output);
  close(pipeEnds[0]);
  if (result.started) Wait(pid, result);
  return result;
}


long CurrentProcessId() { return static_cast<long>(getpid()); }

Status SetEnvironmentValue(const std::string& name, const std::string& value) {
  if (setenv(name.c_str(), value.c_str(), 1) != 0) return posix::Errno();
  return Status::Ok();
}

Status RemoveEnvironmentValue(const std::string& name) {
  if (unsetenv(name.c_str()) != 0) return posix::Errno();
  return Status::Ok();
}

namespace {
std::string ExecutablePath() {
  std::vector<char> buffer(PATH_MAX + 1);
  ssize_t size = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (size <= 0) return {};
  return std::string(buffer.data(), static_cast<std::size_t>(size));
}
}  // namespace

std::string ArgumentText(int argc, char** argv) {
  std::string text;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) text += ' ';
    text += argv[i];
  }
  return text;
}

std::string CommandLineText(int argc, char** argv) { return ToBackslashes(ArgumentText(argc, argv)); }

std::string ProgramFolder() {
  std::string path = ExecutablePath();
  std::size_t slash = path.rfind('/');
  return ToBackslashes(slash == std::string::npos ? std::string() : path.substr(0, slash));
}

std::string os::ProgramFileName() {
  std::string path = ExecutablePath();
  return path.substr(path.rfind('/') + 1);
}

SharedLibrary::~SharedLibrary() {
  if (handle_) dlclose(handle_);
}

Status SharedLibrary::Load(const std::string &path) {
  return LoadHostPath(MapPath(path));
}

Status SharedLibrary::LoadHostPath(const std::string &host) {
  // A name without a slash would be looked for along the loader's search path.
  if (host.find('/') == std::string::npos)
    return Status::Fail(std::strerror(ENOENT));
  handle_ = dlopen(host.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle_) {
    const char* error = dlerror();
    return Status::Fail(error ? error : "cannot load");
  }
  return Status::Ok();
}

void* SharedLibrary::Symbol(const char* name) const {
  return handle_ ? dlsym(handle_, name) : nullptr;
}

const char* LogLibraryFileName() { return "liblumo.so"; }

std::string HostPathBesideProgram(const std::string &fileName) {
  const std::string path = ExecutablePath();
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? fileName
                                    : path.substr(0, slash + 1) + fileName;
}

}  // namespace platform
