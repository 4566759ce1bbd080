// Times the fold check alone on one file.
//   fold_check FILE   (a host path)

#include <chrono>
#include <cstdio>
#include <string>

#include "core/context.h"
#include "log/log_library.h"
#include "platform/paths.h"
#include "userfiles/fold_check.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: fold_check FILE\n");
    return 2;
  }
  std::string path = platform::ToBackslashes(argv[1]);
  std::size_t cut = path.rfind('\\');
  MemoryLog log;
  Context context;
  context.Lumo = &log;
  context.Arg.Source = cut == std::string::npos ? "." : path.substr(0, cut);
  auto start = std::chrono::steady_clock::now();
  bool ok = ParseUserFile(context, path.substr(cut + 1));
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("%.3f s, %s\n", seconds, ok ? "no fault" : "faults");
  for (const std::string& line : log.lines) std::printf("%s\n", line.c_str());
  return 0;
}
