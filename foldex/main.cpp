// The exchange program: saves and exchanges folds and sets variables in the
// controller's program and data files, as its control files say.

#include <string>

#include "foldex.h"
#include "platform/platform.h"

namespace {

// The whole argument text as the caller built it. The caller hands it over
// as one argument; a shell that split it at blanks is undone by joining the
// pieces again. A Win32 build takes the text from its own command line,
// after the program name, here.
std::string ArgumentText(int argc, char** argv) {
  std::string text;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) text += ' ';
    text += argv[i];
  }
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  platform::IgnoreFileSizeSignal();
  return foldex::Run(ArgumentText(argc, argv));
}
