#pragma once
// Path string operations and folder creation.

#include <cstdint>
#include <string>

struct Context;

int32_t LastBackslashPos(const std::string& s);
std::string FileNamePart(const std::string& s);
std::string ParentFolder(const std::string& s);
// Returns s up to and including its first backslash and leaves the rest in
// s; without a backslash returns s and leaves it unchanged.
std::string SplitFirstPathPart(std::string& s);
// Creates every missing folder of path, top down, each with its log line.
void MakePath(Context& context, const std::string& path);
