#pragma once
// Start-up of the program in batch mode.

struct Context;

// Loads the windows hidden, ticks all four boxes and runs one upgrade with
// context.CommandLine. Returns the exit code: 1 after errors, else 0.
int RunBatch(Context& context);
