#include "platform/paths.h"

#include <gtest/gtest.h>

namespace {

TEST(Paths, SplitsDriveRootAndComponents) {
  platform::PathParts parts = platform::SplitSystemPath("c:\\A/B\\\\C\\");
  EXPECT_EQ(parts.drive, 'C');
  EXPECT_TRUE(parts.rooted);
  EXPECT_EQ(parts.components, (std::vector<std::string>{"A", "B", "C"}));

  parts = platform::SplitSystemPath("\\srv\\x");
  EXPECT_EQ(parts.drive, 0);
  EXPECT_TRUE(parts.rooted);

  parts = platform::SplitSystemPath("A\\B");
  EXPECT_FALSE(parts.rooted);
  EXPECT_EQ(parts.components.size(), 2u);
}

TEST(Paths, ToBackslashes) { EXPECT_EQ(platform::ToBackslashes("/a/b\\c"), "\\a\\b\\c"); }

}  // namespace
