// The context's log lines and the run state it starts afresh.

#include "core/context.h"

#include <gtest/gtest.h>

#include "support/test_env.h"

namespace {

using Lines = std::vector<std::string>;

TEST(Context, LogCountsErrorAndWarningLinesForTheSummary) {
  testenv::MemoryRun run;
  run.context.Log(".info");
  run.context.Log("! warning");
  run.context.Log("# first");
  run.context.LogOnce("# second");
  run.context.LogOnce("# second");
  run.context.Log("");
  EXPECT_EQ(run.lines(), (Lines{".info", "! warning", "# first", "# second", ""}));
  EXPECT_EQ(run.context.Record.errors, 2);
  EXPECT_EQ(run.context.Record.warnings, 1);
  EXPECT_EQ(run.context.Record.lastError, "# second");
}

TEST(Context, BeginRunStateForgetsTheEarlierRunAndKeepsTheProcessValues) {
  testenv::MemoryRun run;
  run.context.ProgramFolder = "C:\\PROG";
  run.context.FileToCopyList.Add("a");
  run.context.SystemFile.FoundDestFile = "System\\SPS.SUB";
  run.context.LogOnce("# once");
  run.context.BeginRunState();
  EXPECT_EQ(run.context.ProgramFolder, "C:\\PROG");
  EXPECT_EQ(run.context.FileToCopyList.Count(), 0u);
  EXPECT_EQ(run.context.SystemFile.FoundDestFile, "");
  EXPECT_EQ(run.context.Record.errors, 0);
  run.context.LogOnce("# once");
  EXPECT_EQ(run.lines(), (Lines{"# once", "# once"}));
}

}  // namespace
