#pragma once
// The system-file stage: $CONFIG.DAT, SPS.SUB, IR_STOPM.SRC.

#include <functional>

struct Context;

// What follows the exchange steps of $CONFIG.DAT (the 5.x to 6.x check and
// migration), handed in by the run, so that this stage needs nothing of
// the migration.
using AfterConfigDat = std::function<void(Context&)>;

void ConvertSystemFiles(Context& context, const AfterConfigDat& afterConfigDat);
