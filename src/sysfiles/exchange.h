#pragma once
// Running the exchange program.

#include <cstdint>
#include <string>
#include <vector>

#include "util/exchange_command.h"

struct Context;

// Runs FoldexPath with the argument text and waits for its end; the command
// line as logged is FoldexPath + " " + arguments. A start that fails is one
// error line with the command line; a non-zero exit code one warning line
// with the code. Returns the exit code (-1 when it did not start).
int32_t RunAndWait(Context& context, const std::string& arguments);

// One step of the exchange program: the command is formatted once for the
// call, and the file it writes is announced before and checked after it. A
// non-zero exit code is also one error line naming that file. The files
// the step only reads (its source, its template) must be as they were
// after it: a change is one error line each.
int32_t RunExchange(Context& context, const foldex::Command& command,
                    const std::vector<std::string>& onlyRead = {});
