#pragma once
// Configuration texts: reading a configuration file with its blanks
// compacted, and reading single values out of such a text (lines end with
// CR LF).

#include <string>
#include <string_view>

struct Context;

enum class ReadResult { kRead, kMissing, kFailed };

// text receives the file's bytes after CompactBlanks, or "" with an error
// line when the file is missing or cannot be read.
ReadResult ReadConfigFile(Context& context, const std::string& path, std::string& text);
void ReadWholeFile(Context& context, const std::string& path, std::string& text);
std::string CompactBlanks(const std::string& s);

// The line that begins with the first occurrence of key (found exactly, case
// included), up to its break (CR LF, LF or CR), trimmed; "" when the key is
// not in text.
std::string GetLineFrom(std::string_view text, std::string_view key);
// The text, in its own case, between startKey (upper case, found in any case
// of text) and the next endMark behind it, trimmed; "" when either is missing.
std::string GetBetween(std::string_view text, std::string_view startKey, std::string_view endMark);
// What follows the first "=" of line, cut at the first ";", trimmed; one
// blank when line has no "=".
std::string GetValue(std::string_view line);
