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
// Each remembers a change that is not made and returns the success the
// change would have had.
Status NoteFolder(const std::string& path);
Status NoteFile(const std::string& path, int attributes);
Status NoteRemoved(const std::string& path);
Status NoteAttributes(const std::string& path, int attributes);
void NoteProgram(const std::string& program, const std::string& argumentText);

}  // namespace platform::read_only
