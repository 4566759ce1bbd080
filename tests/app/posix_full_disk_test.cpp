// The program as a process under a file size limit, which fails writes as
// a full disk does: each case ends with the old file intact, an error line
// where one can still be written, and exit code 1.

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "support/test_env.h"

namespace fs = std::filesystem;

namespace {

using testenv::ScratchDrive;
using Lines = std::vector<std::string>;

const std::string kOld = "C:\\QVD_OLDINST\\QVD\\R1";
const std::string kNew = "C:\\QVD\\ROBOTER\\QVD\\R1";
const std::string kProgram = "C:\\PROG";

class FullDisk : public ::testing::Test {
 protected:
  // Without the samples' two programs whose folds do not pair up, a run
  // without faults ends with exit code 0.
  void SetUp() override {
    testenv::LaySamples(drive, kProgram);
    fs::remove(drive.Host(kOld + "\\Program\\Broken_Open.src"));
    fs::remove(drive.Host(kOld + "\\Program\\Broken_Close.src"));
  }

  // Runs the program with writes limited to limitBytes per file, with
  // option before the paths where given; the status as waitpid gives it.
  int RunLimited(rlim_t limitBytes, const std::string& option = "") {
    std::string program = drive.Host(kProgram + "\\vantrel");
    std::string command = kOld + "|" + kNew;
    pid_t child = fork();
    if (child == 0) {
      rlimit limit{limitBytes, limitBytes};
      setrlimit(RLIMIT_FSIZE, &limit);
      if (option.empty())
        execl(program.c_str(), program.c_str(), command.c_str(), static_cast<char*>(nullptr));
      execl(program.c_str(), program.c_str(), option.c_str(), command.c_str(),
            static_cast<char*>(nullptr));
      _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    log = testenv::ReadLogLines(drive.Host("C:\\QVD\\ROBOTER\\LOG\\Vantrel.log"));
    return status;
  }
  bool Logged(const std::string& line) const {
    return std::find(log.begin(), log.end(), line) != log.end();
  }
  std::string Dump() const {
    std::string text;
    for (const std::string& line : log) text += line + "\n";
    return text;
  }
  bool TempFilesLeft(const std::string& folder) const {
    for (const auto& entry : fs::directory_iterator(drive.Host(folder)))
      if (entry.path().filename().string().rfind(".vantrel-tmp", 0) == 0) return true;
    return false;
  }

  ScratchDrive drive;
  Lines log;
};

std::string BigProgram() {
  std::string text = "DEF BIG ( )\r\n";
  while (text.size() < 300'000) text += "  WAIT SEC 0.1 ; a line of a long program\r\n";
  return text + "END\r\n";
}

TEST_F(FullDisk, DuringACopy) {
  drive.Write(kOld + "\\Program\\Big.src", BigProgram());
  drive.Write(kNew + "\\Program\\Big.src", "DEF OLD ( )\r\nEND\r\n");
  int status = RunLimited(200'000);
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_TRUE(Logged("# Can not copy " + kOld + "\\Program\\Big.src to " + kNew +
                     "\\Program\\Big.src : File too large"))
      << Dump();
  EXPECT_EQ(drive.Read(kNew + "\\Program\\Big.src"), "DEF OLD ( )\r\nEND\r\n");
  EXPECT_FALSE(TempFilesLeft(kNew + "\\Program"));
}

std::string PaddedSystemFile(const ScratchDrive& drive) {
  std::string padded = drive.Read(kNew + "\\System\\SPS.SUB");
  while (padded.size() < 300'000) padded += "; padding of a large system file\r\n";
  drive.Write(kNew + "\\System\\SPS.SUB", padded);
  return padded;
}

TEST_F(FullDisk, DuringTheExchangeProgramsWrite) {
  const std::string padded = PaddedSystemFile(drive);
  int status = RunLimited(200'000, "--no-backup");
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_TRUE(Logged("# Foldex.exe failed on " + kNew + "\\System\\SPS.SUB: this step is not done"))
      << Dump();
  EXPECT_EQ(drive.Read(kNew + "\\System\\SPS.SUB"), padded);
  EXPECT_FALSE(TempFilesLeft(kNew + "\\System"));
}

// The backup's copy of the file fails before the exchange program would
// start on it: the file stays as it is, the rest of the run goes on.
TEST_F(FullDisk, DuringTheBackupsCopy) {
  const std::string padded = PaddedSystemFile(drive);
  const std::string config = drive.Read(kNew + "\\System\\$CONFIG.DAT");
  int status = RunLimited(200'000);
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_TRUE(Logged("# The backup cannot keep " + kNew +
                     "\\System\\SPS.SUB (File too large); it is left as it is"))
      << Dump();
  EXPECT_EQ(drive.Read(kNew + "\\System\\SPS.SUB"), padded);
  EXPECT_NE(drive.Read(kNew + "\\System\\$CONFIG.DAT"), config);
}

TEST_F(FullDisk, DuringTheLogsWrite) {
  drive.Write("C:\\QVD\\ROBOTER\\LOG\\Vantrel.log", "the previous run's log\r\n");
  int status = RunLimited(2'000);
  ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 1);
  EXPECT_EQ(drive.Read("C:\\QVD\\ROBOTER\\LOG\\Vantrel.log.bak"), "the previous run's log\r\n");
  EXPECT_LE(fs::file_size(drive.Host("C:\\QVD\\ROBOTER\\LOG\\Vantrel.log")), 2'000u);
}

}  // namespace
