// One error line per entry of the source tree and run.

#include "trees/entry_faults.h"

#include <gtest/gtest.h>

#include "support/test_env.h"

namespace {

using Lines = std::vector<std::string>;

TEST(EntryFaults, EachEntryIsNamedInOneLinePerRun) {
  testenv::MemoryRun run;
  ReportEntryOnce(run.context, "C:\\A\\x.src", "# x.src unreadable");
  ReportEntryOnce(run.context, "C:\\A\\x.src", "# x.src : not an ordinary file, left out");
  ReportEntryOnce(run.context, "C:\\A\\y.src", "# y.src : not an ordinary file, left out");
  EXPECT_EQ(run.lines(), (Lines{"# x.src unreadable", "# y.src : not an ordinary file, left out"}));
  EXPECT_EQ(run.context.Record.errors, 2);
  run.context.BeginRunState();
  ReportEntryOnce(run.context, "C:\\A\\x.src", "# x.src unreadable");
  EXPECT_EQ(run.lines(), (Lines{"# x.src unreadable", "# y.src : not an ordinary file, left out",
                                "# x.src unreadable"}));
}

}  // namespace
