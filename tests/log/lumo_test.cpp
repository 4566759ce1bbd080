// The log library as the program loads it.

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <filesystem>

#include "log/log_library.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "support/test_env.h"

namespace {

using testenv::ReadLogLines;
using testenv::ScratchDrive;

class Lumo : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(lumo.Load(platform::ToBackslashes(testenv::BuiltProgramFolder())).ok);
  }
  LumoLibrary lumo;
  ScratchDrive drive;
};

TEST_F(Lumo, WritesLinesVerbatimWithCrLfAndCountsErrorLines) {
  std::string path = drive.Host("C:\\test.log");
  lumo.LogCreate(path, 0);
  lumo.SetErrorCounter(0);
  lumo.LogWrite(".info");
  lumo.LogWrite("# error \xe4\xf6");
  lumo.LogWrite("! warning");
  lumo.LogWrite(" # not an error");
  lumo.LogWrite("#");
  EXPECT_EQ(lumo.GetErrorCounter(), 2);
  lumo.LogFlush();
  EXPECT_EQ(drive.Read("C:\\test.log"),
            ".info\r\n# error \xe4\xf6\r\n! warning\r\n # not an error\r\n#\r\n");
  lumo.SetErrorCounter(0);
  EXPECT_EQ(lumo.GetErrorCounter(), 0);
}

TEST_F(Lumo, CreateKeepsThePreviousLogAsBak) {
  std::string path = drive.Host("C:\\run.log");
  lumo.LogCreate(path, 0);
  lumo.LogWrite(".first");
  lumo.LogCreate(path, 0);
  lumo.LogWrite(".second");
  lumo.LogFlush();
  EXPECT_EQ(ReadLogLines(path), (std::vector<std::string>{".second"}));
  EXPECT_EQ(ReadLogLines(path + ".bak"), (std::vector<std::string>{".first"}));
}

TEST_F(Lumo, LinesReachTheFileWhenFlushedOrWhenTheBufferIsFull) {
  std::string path = drive.Host("C:\\buffered.log");
  lumo.LogCreate(path, 0);
  lumo.LogWrite(".one");
  lumo.LogFlush();
  EXPECT_EQ(ReadLogLines(path), (std::vector<std::string>{".one"}));
  // Far more than any buffer holds: the file grows without being asked.
  const std::string line(1000, 'x');
  for (int i = 0; i < 1000; ++i) lumo.LogWrite(line);
  EXPECT_GT(std::filesystem::file_size(path), 500000u);
  lumo.LogFlush();
  EXPECT_EQ(std::filesystem::file_size(path), 6u + 1000u * 1002u);
}

#ifndef _WIN32
// A line lost to a full disk must not let the run end as a clean one. The
// file size limit stands in for the full disk: the write fails alike.
TEST_F(Lumo, ALineThatCannotBeWrittenCountsAsAnError) {
  std::string path = drive.Host("C:\\full.log");
  lumo.LogCreate(path, 0);
  lumo.SetErrorCounter(0);
  platform::IgnoreFileSizeSignal();
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit none = saved;
  none.rlim_cur = 0;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &none), 0);
  lumo.LogWrite(".info");
  lumo.LogWrite("! warning");
  int32_t count = lumo.GetErrorCounter();
  setrlimit(RLIMIT_FSIZE, &saved);
  EXPECT_EQ(count, 2);
  lumo.LogCreate("", 0);
}
#endif

TEST_F(Lumo, LoadDirIsTheLibrarysFolderPaddedWithBlanks) {
  std::string dir = lumo.GetLumoLoadDir();
  EXPECT_EQ(dir.size(), 255u);
  std::string folder = testenv::BuiltProgramFolder();
  EXPECT_EQ(dir.substr(0, folder.size()), folder);
  EXPECT_EQ(dir.find_first_not_of(' ', folder.size()), std::string::npos);
}

TEST(LumoLoad, MissingLibraryIsReported) {
  LumoLibrary lumo;
  platform::Status status = lumo.Load("\\nonexistent-folder");
  EXPECT_FALSE(status.ok);
  EXPECT_FALSE(status.reason.empty());
}

}  // namespace
