// The program with a log library built apart from it, from the same
// header, in place of ours: as a controller's own library dropped into the
// program folder.

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/paths.h"
#include "platform/platform.h"
#include "support/test_env.h"

namespace {

const std::string kProgramFolder = "C:\\PROG";

TEST(ForeignLumo, TheProgramRunsWithALibraryBuiltApartFromIt) {
  testenv::ScratchDrive drive;
  testenv::LaySamples(drive, kProgramFolder);
  const std::string library = kProgramFolder + "\\" + platform::LogLibraryFileName();
  ASSERT_TRUE(platform::CopyFileAtomic(platform::ToBackslashes(VANTREL_LUMO_STANDIN), library));

  platform::RunResult result = platform::RunAndWait(
      kProgramFolder + "\\" + VANTREL_PROGRAM, "C:\\QVD_OLDINST\\QVD\\R1|C:\\QVD\\ROBOTER\\QVD\\R1");

  ASSERT_TRUE(result.started) << result.reason;
  // The samples hold two files whose folds do not pair up: errors, counted
  // by the stand-in.
  EXPECT_EQ(result.exitCode, 1);
  std::vector<std::string> log =
      testenv::ReadLogLines(drive.Host("C:\\QVD\\ROBOTER\\LOG\\Vantrel.log"));
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ(log[0], "~stand-in log library");
  EXPECT_EQ(log[1], ".Used LUMO.DLL: stand-in");
  EXPECT_EQ(std::count_if(log.begin(), log.end(),
                          [](const std::string& line) { return line.rfind('#', 0) == 0; }),
            6);
}

}  // namespace
