// The controller's code page as UTF-8.

#include "util/cp1252.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Conversion {
  std::string bytes;
  std::string utf8;
};

TEST(Cp1252, EveryKindOfByteBecomesItsCharacter) {
  const std::vector<Conversion> table = {
      {"Weld.src", "Weld.src"},
      {"\xE9", "\xC3\xA9"},              // e acute, as in Latin-1
      {"\xA0\xFF", "\xC2\xA0\xC3\xBF"},  // the ends of the Latin-1 half
      {"\x80", "\xE2\x82\xAC"},          // the euro sign
      {"\x9F", "\xC5\xB8"},              // Y diaeresis
      {"\x8A", "\xC5\xA0"},              // S caron
      {"\x81", "\xC2\x81"},              // undefined: its control character
      {std::string("a\0b", 3), std::string("a\0b", 3)},
  };
  for (const Conversion& row : table) EXPECT_EQ(util::Cp1252ToUtf8(row.bytes), row.utf8);
}

}  // namespace
