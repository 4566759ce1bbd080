// Whole runs over the samples with the faults an unlucky technician or an
// attacker brings: links in the destination, names that climb out of the
// tree, FIFOs and devices, control files in another form, a failing
// exchange program, a second run at the same time. Each ends with the old
// installation unchanged and the fault in the log.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "platform/platform.h"
#include "support/test_env.h"
#include "support/whole_run.h"
#include "support/tree_snapshot.h"

namespace fs = std::filesystem;

namespace {

using namespace testenv::whole_run;

const std::string kIni = kProgramFolder + "\\vantrel.ini";

class HostileInput : public ::testing::Test {
 protected:
  // Without the samples' two programs whose folds do not pair up, a run
  // without faults ends with exit code 0.
  void SetUp() override {
    testenv::LaySamples(drive, kProgramFolder);
    fs::remove(drive.Host(kOldInstallation + "\\Program\\Broken_Open.src"));
    fs::remove(drive.Host(kOldInstallation + "\\Program\\Broken_Close.src"));
  }

  // Runs once the test has laid its input; the old installation and
  // whatever lies outside both trees must stay as they were.
  int Run(int lockWaitSeconds = 600) {
    TreeSnapshot before = testenv::Snapshot(drive.Host("C:\\QVD_OLDINST"));
    TreeSnapshot outside = Outside();
    BatchRun run(kProgramFolder);
    run.context.LockWaitSeconds = lockWaitSeconds;
    int code = run.Run(kRunCommand);
    EXPECT_EQ(testenv::FirstDifference(before, testenv::Snapshot(drive.Host("C:\\QVD_OLDINST"))),
              "");
    EXPECT_EQ(testenv::FirstDifference(outside, Outside()), "");
    log = testenv::ReadLogLines(drive.Host("C:\\QVD\\ROBOTER\\LOG\\Vantrel.log"));
    return code;
  }
  TreeSnapshot Outside() const {
    return fs::exists(drive.Host("C:\\OUT")) ? testenv::Snapshot(drive.Host("C:\\OUT"))
                                             : TreeSnapshot();
  }
  TreeSnapshot Destination() const {
    return testenv::SnapshotWithoutLog(drive.Host("C:\\QVD\\ROBOTER"));
  }
  bool Logged(const std::string& line) const {
    return std::find(log.begin(), log.end(), line) != log.end();
  }
  std::size_t LinesWith(const std::string& part) const {
    return static_cast<std::size_t>(std::count_if(log.begin(), log.end(), [&](const std::string& line) {
      return line.find(part) != std::string::npos;
    }));
  }
  std::string LastLine() const { return log.empty() ? std::string() : log.back(); }
  std::string Dump() const {
    std::string text;
    for (const std::string& line : log) text += line + "\n";
    return text;
  }
  void WriteIni(const std::string& bytes) {
    fs::remove(drive.Host(kIni));
    drive.Write(kIni, bytes);
  }

  ScratchDrive drive;
  Lines log;
};

// --- links in the destination -------------------------------------------

TEST_F(HostileInput, DestinationFolderLinkedIntoTheSourceIsLeftAlone) {
  fs::create_directory_symlink("../../../../../QVD_OLDINST/QVD/R1/Program/Pallet",
                               drive.Host(kNewInstallation + "\\Program\\Pallet"));
  EXPECT_EQ(Run(), 1);
  EXPECT_TRUE(Logged("# Can not copy " + kOldInstallation + "\\Program\\Pallet\\Pick.src to " +
                     kNewInstallation +
                     "\\Program\\Pallet\\Pick.src : symbolic link on the path, left alone"))
      << Dump();
  EXPECT_TRUE(fs::is_symlink(drive.Host(kNewInstallation + "\\Program\\Pallet")));
}

TEST_F(HostileInput, DestinationFolderLinkedOutOfTheTreeIsLeftAlone) {
  drive.Write("C:\\OUT\\Keep.txt", "outside");
  fs::create_directory_symlink(drive.Host("C:\\OUT"),
                               drive.Host(kNewInstallation + "\\Program\\Tools"));
  EXPECT_EQ(Run(), 1);
  EXPECT_TRUE(Logged("# Can not copy " + kOldInstallation + "\\Program\\Tools\\Clamp.dat to " +
                     kNewInstallation +
                     "\\Program\\Tools\\Clamp.dat : symbolic link on the path, left alone"))
      << Dump();
  EXPECT_FALSE(fs::exists(drive.Host("C:\\OUT\\Clamp.dat")));
}

TEST_F(HostileInput, DestinationFileLinkKeepsItsTargetAsItWas) {
  drive.Write("C:\\OUT\\victim.src", "outside");
  fs::permissions(drive.Host("C:\\OUT\\victim.src"), fs::perms::owner_read);
  fs::create_symlink(drive.Host("C:\\OUT\\victim.src"),
                     drive.Host(kNewInstallation + "\\Program\\Weld.src"));
  EXPECT_EQ(Run(), 1);
  EXPECT_TRUE(Logged("# Can not copy " + kOldInstallation + "\\Program\\Weld.src to " +
                     kNewInstallation +
                     "\\Program\\Weld.src : symbolic link on the path, left alone"))
      << Dump();
  EXPECT_TRUE(fs::is_symlink(drive.Host(kNewInstallation + "\\Program\\Weld.src")));
}

TEST_F(HostileInput, LogFileLinkedIntoTheSourceIsNotCreated) {
  fs::permissions(drive.Host(kOldInstallation + "\\Program\\Weld.src"), fs::perms::owner_read);
  fs::create_symlink(drive.Host(kOldInstallation + "\\Program\\Weld.src"),
                     drive.Host("C:\\QVD\\ROBOTER\\LOG\\Vantrel.log"));
  TreeSnapshot destination = Destination();
  EXPECT_EQ(Run(), 1);
  EXPECT_EQ(testenv::FirstDifference(destination, Destination()), "");
  EXPECT_TRUE(fs::is_symlink(drive.Host("C:\\QVD\\ROBOTER\\LOG\\Vantrel.log")));
}

TEST_F(HostileInput, DanglingLogFileLinkWritesNothingOutside) {
  fs::create_directory(drive.Host("C:\\OUT"));
  fs::create_symlink(drive.Host("C:\\OUT\\Vantrel.log"),
                     drive.Host("C:\\QVD\\ROBOTER\\LOG\\Vantrel.log"));
  EXPECT_EQ(Run(), 1);
  EXPECT_FALSE(fs::exists(drive.Host("C:\\OUT\\Vantrel.log")));
}

// --- shared storage -------------------------------------------------------

// A destination made of hard links to the source: every file shares its
// inode with the old installation's.
TEST_F(HostileInput, HardLinkedDestinationLeavesTheSourceAsItWas) {
  fs::remove_all(drive.Host(kNewInstallation));
  fs::create_directories(drive.Host(kNewInstallation));
  for (const auto& entry : fs::recursive_directory_iterator(drive.Host(kOldInstallation))) {
    fs::path target =
        drive.Host(kNewInstallation) / fs::relative(entry.path(), drive.Host(kOldInstallation));
    if (entry.is_directory())
      fs::create_directories(target);
    else
      fs::create_hard_link(entry.path(), target);
  }
  Run();
  EXPECT_NE(drive.Read(kNewInstallation + "\\Program\\Weld.src").find(";FOLD USER SEAM"),
            std::string::npos);
}

// --- names and lines ------------------------------------------------------

TEST_F(HostileInput, NameThatClimbsOutOfTheTreeIsReportedOnceAndNeverUsed) {
  std::string victim = "DEF VICTIM ( )\r\n;FOLD USER\r\n;ENDFOLD\r\nEND\r\n";
  drive.Write("C:\\OUT\\victim.src", victim);
  std::ofstream(drive.Host(kOldInstallation + "\\Program") + "/..\\..\\..\\..\\OUT\\victim.src")
      << victim;
  EXPECT_EQ(Run(), 1);
  EXPECT_TRUE(Logged("# " + kOldInstallation +
                     "\\Program\\..\\..\\..\\..\\OUT\\victim.src : name not allowed "
                     "on the controller, left out"))
      << Dump();
  EXPECT_EQ(LinesWith("victim.src"), 1u) << Dump();
}

TEST_F(HostileInput, NameHoldingALineEndWritesNoLineOfItsOwn) {
  std::ofstream(drive.Host(kOldInstallation + "\\Program") + "/x\n# INJECTED.src")
      << "DEF X ( )\r\nEND\r\n";
  EXPECT_EQ(Run(), 1);
  EXPECT_TRUE(Logged("# " + kOldInstallation +
                     "\\Program\\x<0A># INJECTED.src : name not allowed on the "
                     "controller, left out"))
      << Dump();
  EXPECT_EQ(LinesWith("INJECTED"), 1u) << Dump();
}

// --- vantrel.ini in other forms -------------------------------------------

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t pos = text.find(from); pos != std::string::npos;
       pos = text.find(from, pos + to.size()))
    text.replace(pos, from.size(), to);
  return text;
}

TEST_F(HostileInput, IniWithLineEndsOfCarriageReturnsAlone) {
  std::string ini = drive.Read(kIni);
  ini = Replaced(Replaced(ini, "\r\n", "\n"), "\n", "\r");
  WriteIni(ini);
  EXPECT_EQ(Run(), 0);
  EXPECT_TRUE(Logged(".  IR_STOPM.SRC :will be upgradet separately")) << Dump();
  EXPECT_TRUE(Logged(".  Program\\Tools\\Clamp.dat :will be only copied into Dest.File")) << Dump();
  EXPECT_EQ(LinesWith("No section found"), 0u) << Dump();
}

TEST_F(HostileInput, IniSavedAsUtf16StopsTheRunBeforeAnyWrite) {
  std::string ini = drive.Read(kIni), wide = "\xff\xfe";
  for (char c : ini) wide += std::string{c, '\0'};
  WriteIni(wide);
  TreeSnapshot destination = Destination();
  EXPECT_EQ(Run(), 1);
  EXPECT_TRUE(Logged("# No section found in ini-File: C:\\PROG\\vantrel.ini")) << Dump();
  EXPECT_EQ(LastLine(), "! End Vantrel.exe");
  EXPECT_EQ(testenv::FirstDifference(destination, Destination()), "");
}

TEST_F(HostileInput, IniEntryHoldingANulByteIsNotUsed) {
  std::string ini = drive.Read(kIni);
  WriteIni(Replaced(ini, "CopyOnly.src", std::string("Copy\0Only.src", 13)));
  EXPECT_EQ(Run(), 1);
  EXPECT_TRUE(Logged("# C:\\PROG\\vantrel.ini : entry holding a NUL byte not used: "
                     "Copy<00>Only.src"))
      << Dump();
}

TEST_F(HostileInput, IniThatIsADeviceStopsTheRun) {
  fs::remove(drive.Host(kIni));
  fs::create_symlink("/dev/zero", drive.Host(kIni));
  EXPECT_EQ(Run(), 1);
  EXPECT_TRUE(Logged("# Can not open ini-File: C:\\PROG\\vantrel.ini : not an ordinary file"))
      << Dump();
  EXPECT_EQ(LastLine(), "! End Vantrel.exe");
}

// --- FIFOs, devices and links in the source -------------------------------

TEST_F(HostileInput, FifoInTheSourceIsReportedAndNeverOpened) {
  ASSERT_EQ(mkfifo(drive.Host(kOldInstallation + "\\Program\\Pipe.src").c_str(), 0644), 0);
  EXPECT_EQ(Run(), 1);
  EXPECT_TRUE(
      Logged("# " + kOldInstallation + "\\Program\\Pipe.src : not an ordinary file, left out"))
      << Dump();
  EXPECT_EQ(LinesWith("Pipe.src"), 1u) << Dump();
}

TEST_F(HostileInput, SystemFileThatIsADeviceFailsItsStep) {
  fs::remove(drive.Host(kOldInstallation + "\\System\\SPS.SUB"));
  fs::create_symlink("/dev/zero", drive.Host(kOldInstallation + "\\System\\SPS.SUB"));
  EXPECT_EQ(Run(), 1);
  EXPECT_TRUE(Logged("# Foldex.exe failed on " + kOldInstallation +
                     "\\System\\SPS.SUB: this step is not done"))
      << Dump();
}

TEST_F(HostileInput, SourceFileLinkedOutOfTheTreeIsNotFollowed) {
  drive.Write("C:\\OUT\\secret.src", "DEF SECRET ( )\r\nEND\r\n");
  fs::create_symlink(drive.Host("C:\\OUT\\secret.src"),
                     drive.Host(kOldInstallation + "\\Program\\Shadow.src"));
  EXPECT_EQ(Run(), 1);
  EXPECT_TRUE(Logged("# " + kOldInstallation + "\\Program\\Shadow.src : symbolic link, left out"))
      << Dump();
  EXPECT_FALSE(fs::exists(drive.Host(kNewInstallation + "\\Program\\Shadow.src")));
}

// --- the exchange program fails -------------------------------------------

TEST_F(HostileInput, ExchangeProgramEndingWithAnErrorCodeMakesTheRunFail) {
  std::string foldex = drive.Host(kProgramFolder + "\\Foldex.exe");
  fs::remove(foldex);
  std::ofstream(foldex) << "#!/bin/sh\nexit 3\n";
  fs::permissions(foldex, fs::perms::owner_all);
  EXPECT_EQ(Run(), 1);
  const std::string dest = kNewInstallation + "\\System\\SPS.SUB";
  EXPECT_TRUE(Logged("! Foldex.exe ended with exit code 3: C:\\PROG\\Foldex.exe " + dest +
                     " | C:\\PROG\\Vantrel\\sps_sub_nf.upg /TXT"))
      << Dump();
  EXPECT_TRUE(Logged("# Foldex.exe failed on " + dest + ": this step is not done")) << Dump();
}

// --- leftovers and concurrent runs ----------------------------------------

TEST_F(HostileInput, StaleTemporaryFilesOfTheFoldersWrittenAreRemoved) {
  // No process has this id: the writer is gone.
  drive.Write(kNewInstallation + "\\System\\.vantrel-tmp-2147483646-1", "left by a killed writer");
  drive.Write(kNewInstallation + "\\Program\\.vantrel-tmp-2147483646-2", "left by a killed writer");
  Run();
  EXPECT_FALSE(drive.Exists(kNewInstallation + "\\System\\.vantrel-tmp-2147483646-1"));
  EXPECT_FALSE(drive.Exists(kNewInstallation + "\\Program\\.vantrel-tmp-2147483646-2"));
}

TEST_F(HostileInput, SecondRunOnTheSameProgramFolderIsRefused) {
  platform::FileLock other;
  bool acquired = false;
  ASSERT_TRUE(other.TryAcquire(kProgramFolder + "\\Vantrel\\Vantrel.lock", acquired).ok);
  ASSERT_TRUE(acquired);
  TreeSnapshot destination = Destination();
  testing::internal::CaptureStderr();
  EXPECT_EQ(Run(1), 1);
  std::string host = drive.Host(kProgramFolder + "\\Vantrel\\Vantrel.lock");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "vantrel: another run is using " + host + "; waiting up to 1 second\n" +
                "vantrel: Another run is still using " + host +
                " after 1 second; nothing was upgraded.\n");
  EXPECT_FALSE(drive.Exists("C:\\QVD\\ROBOTER\\LOG\\Vantrel.log"));
  EXPECT_EQ(testenv::FirstDifference(destination, Destination()), "");
}

TEST_F(HostileInput, SecondRunOnTheSameDestinationIsRefused) {
  platform::FileLock other;
  bool acquired = false;
  ASSERT_TRUE(other.TryAcquire("C:\\QVD\\ROBOTER\\LOG\\Vantrel.lock", acquired).ok);
  ASSERT_TRUE(acquired);
  testing::internal::CaptureStderr();
  EXPECT_EQ(Run(1), 1);
  std::string stderrText = testing::internal::GetCapturedStderr();
  EXPECT_NE(stderrText.find("vantrel: Another run is still using " +
                            drive.Host("C:\\QVD\\ROBOTER\\LOG\\Vantrel.lock")),
            std::string::npos)
      << stderrText;
  EXPECT_FALSE(drive.Exists("C:\\QVD\\ROBOTER\\LOG\\Vantrel.log"));
}

TEST_F(HostileInput, LockIsFreeAgainAfterARun) {
  Run();
  platform::FileLock next;
  bool acquired = false;
  EXPECT_TRUE(next.TryAcquire(kProgramFolder + "\\Vantrel\\Vantrel.lock", acquired).ok);
  EXPECT_TRUE(acquired);
}

}  // namespace
