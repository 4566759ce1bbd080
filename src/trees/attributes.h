#pragma once
// Giving the destination tree the attributes of the source tree.

#include <string>

class RunLog;
struct TreeRun;

void TransferTreeAttributes(RunLog& log, const std::string& source,
                            const std::string& destination);
// The run step: its log line, then the transfer from Source to Dest.
void TransferAttributes(const TreeRun& run);
