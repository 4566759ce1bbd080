#pragma once
// One complete upgrade run and its two ends.

struct Context;

void RunUpgrade(Context& context);
// The regular end of a run: clean-up, error count, report. In batch mode
// with errors it ends the process (throws ProcessEnd{1}).
void FinishRun(Context& context);
// The early end after an error line: in batch mode the process ends at once
// with exit code 1, in interactive mode the run finishes.
void AbortRun(Context& context);
