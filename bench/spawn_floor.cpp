// The floor that process starts set: starts a program one time after the
// other, the way the platform layer starts the exchange program
// (posix_spawn with one argument text, then waitpid).
//   spawn_floor COUNT PROGRAM [ARGUMENT]   the same argument COUNT times
//   spawn_floor --steps FILE PROGRAM       one start for each line of FILE,
//                                          "save<TAB>TEXT" or
//                                          "exchange<TAB>TEXT": PROGRAM
//                                          gets TEXT and the kind
// With --steps a start that does not end with 0 is counted, and told at
// the end; the exit code is then 1.

#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct Step {
  std::string kind;
  std::string text;
};

// The exit code of one start, or -1 when it could not be started.
int Start(std::string& program, std::string& text, std::string* kind) {
  std::vector<char*> args = {program.data(), text.data()};
  if (kind) args.push_back(kind->data());
  args.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, args.data(), environ) != 0) return -1;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}

// Read whole before the first start, so that the starts are all that is
// timed after it.
bool ReadSteps(const char* path, std::vector<Step>& steps) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::string line;
  while (std::getline(in, line)) {
    std::size_t tab = line.find('\t');
    if (tab == std::string::npos) return false;
    steps.push_back({line.substr(0, tab), line.substr(tab + 1)});
  }
  return true;
}

int ReplaySteps(const char* path, std::string program) {
  std::vector<Step> steps;
  if (!ReadSteps(path, steps)) {
    std::fprintf(stderr, "spawn_floor: cannot read the steps in %s\n", path);
    return 2;
  }
  long failed = 0;
  for (Step& step : steps)
    if (Start(program, step.text, &step.kind) != 0) ++failed;
  if (failed == 0) return 0;
  std::fprintf(stderr, "spawn_floor: %ld of %zu steps failed\n", failed, steps.size());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--steps") == 0) return ReplaySteps(argv[2], argv[3]);
  if (argc < 3) {
    std::fprintf(stderr, "usage: spawn_floor COUNT PROGRAM [ARGUMENT] | --steps FILE PROGRAM\n");
    return 2;
  }
  long count = std::atol(argv[1]);
  std::string program = argv[2];
  std::string argument = argc > 3 ? argv[3] : "x";
  for (long i = 0; i < count; ++i) Start(program, argument, nullptr);
  return 0;
}
