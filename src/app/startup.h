#pragma once
// Start-up of the program in its two modes.

struct Context;

// Loads the windows hidden, ticks all four boxes and runs one upgrade with
// context.CommandLine. Returns the exit code: 1 after errors, else 0.
int RunBatch(Context& context);

// Start-up with an empty command line: the windows loaded hidden, the boxes
// ticked and then cleared, interactive mode. The dialog drives the program
// from here on.
void StartInteractive(Context& context);
