#pragma once
// Copying one file by its relative path from the source installation to the
// same place in the destination installation.

#include <string>

struct Context;

// Below Source and Dest.
void CopyTreeFile(Context& context, const std::string& relativePath);
// Below the folders that hold Source and Dest (for STEU beside R1).
void CopyParentTreeFile(Context& context, const std::string& relativePath);
