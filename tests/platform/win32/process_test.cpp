// Child processes on Windows: the program path can never be read as a
// shorter program's path followed by arguments.

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "support/test_env.h"

namespace {

using testenv::ScratchDrive;

const std::string kFolder = "C:\\Program Files\\Vantrel";

TEST(Win32Process, APlantedProgramBesideAFolderWithBlanksNeverRuns) {
  ScratchDrive drive;
  testenv::MakeProgramFolder(drive, kFolder, true);
  // "C:\Program.exe" is what an unquoted "C:\Program Files\..." would start.
  ASSERT_TRUE(platform::CopyFileAtomic(kFolder + "\\Foldex.exe", "C:\\Program.exe"));

  platform::RunResult result = platform::RunAndWait(kFolder + "\\Foldex.exe", "C:\\A.src| C:\\B.upg /TXT");

  ASSERT_TRUE(result.started) << result.reason;
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(testenv::RecordedFoldexCalls(drive, kFolder),
            std::vector<std::string>{"C:\\A.src| C:\\B.upg /TXT"});
  EXPECT_FALSE(drive.Exists("C:\\foldex-calls.txt"));
}

TEST(Win32Process, TheArgumentTextFollowsTheQuotedNameAfterOneBlank) {
  ScratchDrive drive;
  testenv::MakeProgramFolder(drive, kFolder, true);

  platform::RunAndWait(kFolder + "\\Foldex.exe", "  two blanks ahead, \"quoted\" ");
  platform::RunAndWait(kFolder + "\\Foldex.exe", "");

  EXPECT_EQ(testenv::RecordedFoldexCalls(drive, kFolder),
            (std::vector<std::string>{"  two blanks ahead, \"quoted\" ", ""}));
}

TEST(Win32Process, AMissingProgramDoesNotStart) {
  ScratchDrive drive;
  platform::RunResult result = platform::RunAndWait("C:\\Nowhere\\Foldex.exe", "x");
  EXPECT_FALSE(result.started);
  EXPECT_EQ(result.reason, "No such file or directory");
}

TEST(Win32Process, TheProgramFolderAndNameAreTheTestProgramsOwn) {
  EXPECT_EQ(platform::ProgramName(), "vantrel_tests");
  EXPECT_TRUE(platform::FileExists(platform::ProgramFolder() + "\\vantrel_tests.exe"));
}

}  // namespace
