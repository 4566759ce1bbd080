#pragma once
// Deciding whether a 5.x configuration meets a 6.x one, and reading files
// for the migration.

#include <string>

struct Context;

void CheckConfigVersion(Context& context);
// text receives the file's bytes after CompactBlanks, or "" with an error
// line when the file is missing or cannot be read.
void ReadWholeFile(Context& context, const std::string& path, std::string& text);
std::string CompactBlanks(const std::string& s);
