#pragma once
// The state of a read-only scope, shared by the implementations of
// platform.h: each call that would change something asks here first.
// Private to the platform layer.

#include <string>

#include "platform/platform.h"

namespace platform::read_only {

bool Active();
// What a read-only scope has made of path so far: false when nothing, else
// exists tells whether the path is there and attributes what it has.
bool Known(const std::string& path, bool& exists, int& attributes);
void NoteFolder(const std::string& path);
void NoteFile(const std::string& path, int attributes);
void NoteRemoved(const std::string& path);
void NoteAttributes(const std::string& path, int attributes);
void NoteProgram(const std::string& program, const std::string& argumentText);

}  // namespace platform::read_only
