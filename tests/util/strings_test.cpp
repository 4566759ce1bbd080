#include "util/strings.h"

#include <gtest/gtest.h>

TEST(Strings, TrimRemovesBlanksOnly) {
  EXPECT_EQ(util::Trim("  a b  "), "a b");
  EXPECT_EQ(util::Trim("\ta\t"), "\ta\t");
  EXPECT_EQ(util::Trim("   "), "");
}

TEST(Strings, UpperTouchesAsciiOnly) {
  EXPECT_EQ(util::Upper("abc\xe4z"), "ABC\xe4Z");
}

TEST(Strings, LikeMatchesWildcards) {
  EXPECT_TRUE(util::Like("X;FOLD Y", "*;FOLD*"));
  EXPECT_TRUE(util::Like(";FOLD", "*;FOLD*"));
  EXPECT_FALSE(util::Like("; FOLD", "*;FOLD*"));
  EXPECT_TRUE(util::Like("STEU\\A.DAT", "STEU\\*"));
  EXPECT_FALSE(util::Like("PROGRAM\\STEU\\A.DAT", "STEU\\*"));
  EXPECT_TRUE(util::Like("a|b", "*|*"));
  EXPECT_FALSE(util::Like("ab", "*|*"));
  EXPECT_TRUE(util::Like("aXbXc", "a*b?c"));
  EXPECT_FALSE(util::Like("aXbXcd", "a*b?c"));
}

TEST(Strings, NoCaseComparisons) {
  EXPECT_TRUE(util::EqualsNoCase("$config.dat", "$CONFIG.DAT"));
  EXPECT_FALSE(util::EqualsNoCase("a", "ab"));
  EXPECT_TRUE(util::EndsWithNoCase("a.src", ".SRC"));
  EXPECT_FALSE(util::EndsWithNoCase("SRC", ".SRC"));
}

TEST(Strings, ControllerNamesHoldNoSeparatorWildcardOrControlCharacter) {
  EXPECT_TRUE(util::IsControllerName("Weld.src"));
  EXPECT_TRUE(util::IsControllerName("$CONFIG.DAT"));
  EXPECT_TRUE(util::IsControllerName("Schwei\xdf" "en.src"));
  for (std::string bad : {"..\\x.src", "a/b", "C:x", "a*", "a?", "a\"", "a<", "a>", "a|b",
                          "a\nb", "a\tb", "a\x7f"})
    EXPECT_FALSE(util::IsControllerName(bad)) << bad;
  EXPECT_FALSE(util::IsControllerName(std::string("a\0b", 3)));
}

TEST(Strings, PrintableKeepsALineOnOneLine) {
  EXPECT_EQ(util::Printable("x\n# INJECTED\r"), "x<0A># INJECTED<0D>");
  EXPECT_EQ(util::Printable(std::string("a\0b", 3)), "a<00>b");
  EXPECT_EQ(util::Printable("tab\there \xff"), "tab\there \xff");
}
