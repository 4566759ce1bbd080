#pragma once
// Copying one file by its relative path from the source installation to the
// same place in the destination installation.

#include <string>

struct Context;

// True when the file was copied; every other outcome is in the log.
// Below Source and Dest.
bool CopyTreeFile(Context& context, const std::string& relativePath);
// Below the folders that hold Source and Dest (for STEU beside R1).
bool CopyParentTreeFile(Context& context, const std::string& relativePath);
