#include "config56/zero_frame.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>

#include "config56/config_text.h"
#include "util/strings.h"

namespace {

bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

std::size_t SkipDigits(std::string_view text, std::size_t pos) {
  while (pos < text.size() && IsDigit(text[pos])) ++pos;
  return pos;
}

// Length of the decimal number at the start of text; 0 when there is none.
std::size_t NumberLength(std::string_view text) {
  std::size_t pos = 0;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
  const std::size_t intEnd = SkipDigits(text, pos);
  std::size_t end = intEnd;
  bool digits = intEnd > pos;
  if (end < text.size() && text[end] == '.') {
    const std::size_t fracEnd = SkipDigits(text, end + 1);
    digits = digits || fracEnd > end + 1;
    end = fracEnd;
  }
  if (!digits) return 0;
  if (end < text.size() && (text[end] == 'E' || text[end] == 'e')) {
    std::size_t exp = end + 1;
    if (exp < text.size() && (text[exp] == '+' || text[exp] == '-')) ++exp;
    const std::size_t expEnd = SkipDigits(text, exp);
    if (expEnd > exp) end = expEnd;
  }
  return end;
}

}  // namespace

// A component written with a tab after its letter still counts: read as no
// number, it would make a placed axis a zero frame that is not migrated.
float LeadingFloat(std::string_view text) {
  text = text.substr(std::min(text.find_first_not_of(" \t"), text.size()));
  const std::size_t length = NumberLength(text);
  if (length == 0) return 0.0f;
  // strtof gets a copy that holds the number alone, in the form it reads in
  // the C numeric locale the program keeps; it never throws and turns
  // values out of range into infinity or zero, as a 32-bit float holds them.
  const std::string number(text.substr(0, length));
  return std::strtof(number.c_str(), nullptr);
}

bool IsZeroFrame(std::string_view frame) {
  const std::string upper = util::Upper(frame);
  for (const char* letter : {"X", "Y", "Z", "A", "B"}) {
    if (LeadingFloat(GetBetween(upper, letter, ",")) != 0.0f) return false;
  }
  return LeadingFloat(GetBetween(upper, "C", "}")) == 0.0f;
}
