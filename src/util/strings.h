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

// A name the controller's file system can hold: none of \ / : * ? " < > |
// nor a control character (codes 0 to 31 and 127). Names from a host file
// system may hold them; such a name could climb out of its folder or break
// a log line.
bool IsControllerName(std::string_view name);
// The text with every control character but the tab written as "<XX>"
// (its code in hex), so that it stays on one log line and shows what it
// held.
std::string Printable(std::string_view text);

}  // namespace util
