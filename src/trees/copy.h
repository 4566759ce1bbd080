#pragma once
// Copying one file by its relative path from the source installation to the
// same place in the destination installation.

#include <string>

struct TreeRun;

// True when the file was copied; every other outcome is in the log.
// Below Source and Dest.
bool CopyTreeFile(const TreeRun& run, const std::string& relativePath);
// Below the folders that hold Source and Dest (for STEU beside R1).
bool CopyParentTreeFile(const TreeRun& run, const std::string& relativePath);
