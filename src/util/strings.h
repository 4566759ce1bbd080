#pragma once
// Text helpers with no knowledge of the upgrade. Texts are 8-bit bytes:
// case changes touch ASCII letters only, and nothing is transcoded.

#include <string>
#include <string_view>

namespace util {

// Removes blanks (code 32 only) at both ends.
std::string Trim(std::string_view text);
std::string Upper(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);
bool EndsWithNoCase(std::string_view text, std::string_view ending);
// Wildcard match: "*" any run of characters, "?" one character; exact
// otherwise (callers upper-case both sides where case must not matter).
bool Like(std::string_view text, std::string_view pattern);
bool Contains(std::string_view text, std::string_view part);

}  // namespace util
