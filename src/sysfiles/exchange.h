#pragma once
// Running the exchange program.

#include <cstdint>
#include <string>

struct Context;

// Runs FoldexPath with the argument text and waits for its end; the command
// line as logged is FoldexPath + " " + arguments. A start that fails is one
// error line with the command line; a non-zero exit code one warning line
// with the code. Returns the exit code (-1 when it did not start).
int32_t RunAndWait(Context& context, const std::string& arguments);
