// Child processes, the running program, and libraries loaded at run time.

#include <dlfcn.h>
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <vector>

#include "platform/paths.h"
#include "platform/posix/internal.h"

extern char** environ;

namespace platform {

using posix::MapPath;

RunResult RunAndWait(const std::string& program, const std::string& argumentText) {
  RunResult result;
  std::string host = MapPath(program);
  if (host.empty()) {
    result.reason = std::strerror(ENOENT);
    return result;
  }
  std::vector<char*> argv = {host.data(), const_cast<char*>(argumentText.c_str()), nullptr};
  pid_t pid = 0;
  int error = posix_spawn(&pid, host.c_str(), nullptr, nullptr, argv.data(), environ);
  if (error != 0) {
    result.reason = std::strerror(error);
    return result;
  }
  result.started = true;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) {
      result.exitCode = -1;
      return result;
    }
  }
  if (WIFEXITED(status))
    result.exitCode = WEXITSTATUS(status);
  else if (WIFSIGNALED(status))
    result.exitCode = 128 + WTERMSIG(status);
  return result;
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

std::string ProgramName() {
  std::string path = ExecutablePath();
  std::string name = path.substr(path.rfind('/') + 1);
  std::size_t dot = name.rfind('.');
  return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

SharedLibrary::~SharedLibrary() {
  if (handle_) dlclose(handle_);
}

Status SharedLibrary::Load(const std::string& path) {
  std::string host = MapPath(path);
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

}  // namespace platform
