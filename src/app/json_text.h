#pragma once
// Pieces of the program's JSON documents (the plan, the summary). Names
// are bytes in the controller's code page; JSON holds them as UTF-8.

#include <string>
#include <vector>

// The schema version both documents carry; it grows when a field changes
// its meaning or goes away, not when one is added.
inline constexpr int kJsonSchemaVersion = 1;

// A JSON string of text, converted from Windows-1252 and escaped.
std::string JsonString(const std::string& text);
// A JSON string, or null for an empty text.
std::string JsonStringOrNull(const std::string& text);
std::string JsonStringList(const std::vector<std::string>& items);
