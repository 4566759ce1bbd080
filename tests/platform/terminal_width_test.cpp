// The terminal's width for the progress line, where standard error is no
// terminal: COLUMNS, else 80.

#include <gtest/gtest.h>

#include <vector>

#include "platform/platform.h"

namespace {

struct WidthCase {
  const char* columns;  // nullptr: not set
  int width;
};

TEST(TerminalColumns, WithoutATerminalColumnsOr80) {
  if (platform::StderrIsTerminal()) GTEST_SKIP() << "standard error is a terminal";
  const std::vector<WidthCase> table = {
      {nullptr, 80}, {"60", 60}, {"120", 120},  {"", 80},    {"wide", 80},
      {"0", 80},     {"-5", 80}, {"99999", 80}, {"72x", 80},
  };
  for (const WidthCase& row : table) {
    if (row.columns)
      ASSERT_TRUE(platform::SetEnvironmentValue("COLUMNS", row.columns));
    else
      ASSERT_TRUE(platform::RemoveEnvironmentValue("COLUMNS"));
    EXPECT_EQ(platform::TerminalColumns(), row.width) << (row.columns ? row.columns : "unset");
  }
  ASSERT_TRUE(platform::RemoveEnvironmentValue("COLUMNS"));
}

}  // namespace
