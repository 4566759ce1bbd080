#include "trees/stale_files.h"

#include <gtest/gtest.h>

#include "support/test_env.h"

namespace {

using testenv::MemoryRun;
using testenv::ScratchDrive;

TEST(StaleFiles, AFolderIsCleanedTheFirstTimeOnly) {
  ScratchDrive drive;
  MemoryRun run;
  drive.Write("C:\\D\\.vantrel-tmp-2147483646-0", "left by a killed writer");
  RemoveStaleTempFilesOnce(run.context, "C:\\D");
  EXPECT_FALSE(drive.Exists("C:\\D\\.vantrel-tmp-2147483646-0"));
  // Within the run the folder counts as clean, in any case of its name.
  drive.Write("C:\\D\\.vantrel-tmp-2147483646-1", "written after the cleaning");
  RemoveStaleTempFilesOnce(run.context, "c:\\d");
  EXPECT_TRUE(drive.Exists("C:\\D\\.vantrel-tmp-2147483646-1"));
  EXPECT_TRUE(run.lines().empty());
}

}  // namespace
