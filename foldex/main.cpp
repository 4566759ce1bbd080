// The exchange program: saves and exchanges folds and sets variables in the
// controller's program and data files, as its control files say.

#include "foldex.h"
#include "platform/platform.h"

// The whole argument text as the caller built it: on Windows the rest of
// the command line; on POSIX the caller hands it over as one argument, and
// a shell that split it at blanks is undone by joining the pieces again.
int main(int argc, char** argv) { return foldex::Run(platform::ArgumentText(argc, argv)); }
