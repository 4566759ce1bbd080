#pragma once
// Pure string work on system-form paths, shared by the platform
// implementations. Nothing here touches the operating system.

#include <string>
#include <vector>

namespace platform {

// A system-form path taken apart: "C:\A\B" gives drive 'C', rooted, {A, B};
// "\srv\x" gives no drive, rooted; "A\B" neither. Both "\" and "/" separate;
// empty components are dropped.
struct PathParts {
  char drive = 0;  // upper-case letter, or 0
  bool rooted = false;
  std::vector<std::string> components;
};
PathParts SplitSystemPath(const std::string& path);

// Every "/" written as "\".
std::string ToBackslashes(std::string path);

// ASCII upper case, byte by byte: 8-bit characters stay as they are.
std::string UpperAscii(std::string text);

}  // namespace platform
