#pragma once
// Taking Windows-form path strings apart at their backslashes. Pure text
// work: nothing here asks the file system.

#include <cstdint>
#include <string>

// 1-based position of the last backslash in s; 0 when there is none.
int32_t LastBackslashPos(const std::string& s);
std::string FileNamePart(const std::string& s);
std::string ParentFolder(const std::string& s);
// Returns s up to and including its first backslash and leaves the rest in
// s; without a backslash returns s and leaves it unchanged.
std::string SplitFirstPathPart(std::string& s);
