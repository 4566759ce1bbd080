#pragma once
// The system-file stage: $CONFIG.DAT, SPS.SUB, IR_STOPM.SRC.

struct Context;

void ConvertSystemFiles(Context& context);
