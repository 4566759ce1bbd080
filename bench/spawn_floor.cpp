// The floor that process starts set: starts a program COUNT times, one
// after the other, the way the platform layer starts the exchange program
// (posix_spawn with one argument text, then waitpid).
//   spawn_floor COUNT PROGRAM [ARGUMENT]

#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>

extern char** environ;

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: spawn_floor COUNT PROGRAM [ARGUMENT]\n");
    return 2;
  }
  long count = std::atol(argv[1]);
  std::string program = argv[2];
  std::string argument = argc > 3 ? argv[3] : "x";
  char* args[] = {program.data(), argument.data(), nullptr};
  for (long i = 0; i < count; ++i) {
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, args, environ) != 0) return 1;
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
    }
  }
  return 0;
}
