// Whole runs over the samples with bad or odd input: never a crash, the old
// installation unchanged, and an error line with exit code 1 where the
// input is at fault.

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

class BadInput : public ::testing::Test {
 protected:
  void SetUp() override { testenv::LaySamples(drive, kProgramFolder); }
  // Runs once the test has laid its input; the source must stay as it was.
  int Run(const std::string& command = kRunCommand) {
    TreeSnapshot before = testenv::Snapshot(drive.Host("C:\\QVD_OLDINST"));
    BatchRun run(kProgramFolder);
    int code = run.Run(command);
    EXPECT_EQ(testenv::FirstDifference(before, testenv::Snapshot(drive.Host("C:\\QVD_OLDINST"))),
              "");
    log = testenv::ReadLogLines(drive.Host("C:\\QVD\\ROBOTER\\LOG\\Vantrel.log"));
    return code;
  }
  std::string LastLine() const { return log.empty() ? std::string() : log.back(); }
  bool Logged(const std::string& line) const {
    return std::find(log.begin(), log.end(), line) != log.end();
  }
  std::string Dump() const {
    std::string text;
    for (const std::string& line : log) text += line + "\n";
    return text;
  }

  ScratchDrive drive;
  Lines log;
};

TEST_F(BadInput, MissingIniFile) {
  fs::remove(drive.Host(kProgramFolder + "\\vantrel.ini"));
  EXPECT_EQ(Run(), 1);
  EXPECT_TRUE(Logged("# Can not find ini-File: C:\\PROG\\vantrel.ini")) << Dump();
}

TEST_F(BadInput, IniCutOffInsideASection) {
  drive.Write(kProgramFolder + "\\vantrel.ini",
              "[START_SYSTEMFILES]\r\nSystem\\$CONFIG.DAT\r\nSystem\\SPS.SUB\r\nSystem\\IR_ST");
  EXPECT_EQ(Run(), 1);
  EXPECT_TRUE(Logged("# No line with END_SYSTEMFILES in C:\\PROG\\vantrel.ini: the section "
                     "ends at the end of the file"))
      << Dump();
  // The entries read up to the break still count: no system file is taken
  // for a user file.
  EXPECT_TRUE(Logged(".  IR_ST :will be upgradet separately")) << Dump();
  EXPECT_FALSE(Logged(".1.dat file found to upgrade: System\\$CONFIG.DAT")) << Dump();
}

TEST_F(BadInput, IniOfBinaryBytes) {
  std::string junk;
  for (int i = 0; i < 4096; ++i) junk += static_cast<char>((i * 37) % 256);
  drive.Write(kProgramFolder + "\\vantrel.ini", junk);
  EXPECT_EQ(Run(), 1);
  EXPECT_TRUE(Logged("# No section found in ini-File: C:\\PROG\\vantrel.ini")) << Dump();
  EXPECT_TRUE(Logged(". +++ End analysing INI-file: C:\\PROG\\vantrel.ini")) << Dump();
  // Without the lists the system files would count as user files: the run
  // ends as if the file were missing.
  EXPECT_EQ(LastLine(), "! End Vantrel.exe");
  EXPECT_FALSE(Logged("! - System\\SPS.SUB - is not upgradet separetly")) << Dump();
}

TEST_F(BadInput, BinaryEmptyAndLongUserFilesArriveWhole) {
  std::string binary;
  for (int i = 0; i < 70000; ++i) binary += static_cast<char>(i % 256);
  std::string longLine(10'000'000, 'x');
  longLine += ";FOLD never closed";
  drive.Write(kOldInstallation + "\\Program\\Binary.src", binary);
  drive.Write(kOldInstallation + "\\Program\\Empty.dat", "");
  drive.Write(kOldInstallation + "\\Program\\Long.src", longLine);
  Run();
  EXPECT_EQ(drive.Read(kNewInstallation + "\\Program\\Empty.dat"), "");
  EXPECT_EQ(drive.Read(kNewInstallation + "\\Program\\Long.src"), longLine);
  EXPECT_TRUE(Logged("#ParseUserFile: Program\\Long.src hat 2 Fehler")) << Dump();
  EXPECT_TRUE(drive.Exists(kNewInstallation + "\\Program\\Binary.src"));
}

TEST_F(BadInput, EightBitNamesAndContents) {
  std::string name = "Schwei\xdf" "en_\xe4\xf6\xfc.src";
  std::string text = "DEF X ( )\r\n;FOLD USER \xc4\xd6\xdc\r\n; \xff\xfe\r\n;ENDFOLD\r\nEND\r\n";
  drive.Write(kOldInstallation + "\\Program\\" + name, text);
  EXPECT_EQ(Run(), 1);  // the samples' two faulty programs
  EXPECT_TRUE(Logged(".ParseUserFile: Program\\" + name + " no failure found !")) << Dump();
  std::string upgraded = drive.Read(kNewInstallation + "\\Program\\" + name);
  EXPECT_NE(upgraded.find(";FOLD USER \xc4\xd6\xdc\r\n; \xff\xfe\r\n;ENDFOLD"), std::string::npos);
}

#ifndef _WIN32
// Windows keeps one name per folder whatever its case: twins cannot exist.
TEST_F(BadInput, NamesDifferingOnlyInCaseAreReportedAndTheFirstIsKept) {
  drive.Write(kOldInstallation + "\\Program\\twin.src", "DEF TWIN ( )\r\nEND\r\n");
  drive.Write(kOldInstallation + "\\Program\\TWIN.SRC", "DEF BIG_TWIN ( )\r\nEND\r\n");
  EXPECT_EQ(Run(), 1);
  EXPECT_TRUE(Logged("# " + kOldInstallation + "\\Program\\twin.src : name differs from " +
                     kOldInstallation + "\\Program\\TWIN.SRC only in case, left out"))
      << Dump();
  EXPECT_EQ(std::count_if(log.begin(), log.end(),
                          [](const std::string& line) { return line.find("only in case") != std::string::npos; }),
            1);
  EXPECT_EQ(drive.Read(kNewInstallation + "\\Program\\TWIN.SRC").substr(0, 16), "DEF BIG_TWIN ( )");
  EXPECT_FALSE(fs::exists(drive.Host(kNewInstallation + "\\Program\\twin.src")));
}

// The ANSI file functions of Windows, which the program uses, take paths of
// at most 260 characters: there such a file cannot be reached at all.
TEST_F(BadInput, PathsLongerThan255Characters) {
  std::string deep = "\\Program";
  while (deep.size() < 300) deep += "\\Folder_with_a_long_name_" + std::to_string(deep.size());
  std::string text = "DEF DEEP ( )\r\nEND\r\n";
  drive.Write(kOldInstallation + deep + "\\Deep.src", text);
  Run();
  EXPECT_TRUE(drive.Exists(kNewInstallation + deep + "\\Deep.src")) << Dump();
}
#endif

TEST_F(BadInput, ReadOnlyDestinationFilesAreReplaced) {
  drive.Write(kNewInstallation + "\\Program\\Weld.src", "old and read-only");
  platform::SetAttributes(kNewInstallation + "\\Program\\Weld.src", platform::kReadOnly);
  platform::SetAttributes(kNewInstallation + "\\System\\SPS.SUB", platform::kReadOnly);
  Run();
  EXPECT_NE(drive.Read(kNewInstallation + "\\Program\\Weld.src").find(";FOLD USER SEAM"),
            std::string::npos);
  EXPECT_NE(drive.Read(kNewInstallation + "\\System\\SPS.SUB").find("DECL INT PALLET_COUNT"),
            std::string::npos);
}

#ifndef _WIN32
// A link to nothing: only POSIX makes one freely.
TEST_F(BadInput, UnreadableSourceFileIsOneErrorAndTheRunGoesOn) {
  // A link to nothing stands for a file that cannot be read (as root every
  // file can be read whatever its permissions).
  fs::create_symlink(drive.Host("C:\\nowhere.src"),
                     drive.Host(kOldInstallation + "\\Program\\Gone.src"));
  EXPECT_EQ(Run(), 1);
  EXPECT_TRUE(Logged(".ParseUserFile: Program\\Weld.src no failure found !")) << Dump();
  bool reported = std::any_of(log.begin(), log.end(), [](const std::string& line) {
    return line[0] == '#' && line.find("Gone.src") != std::string::npos;
  });
  EXPECT_TRUE(reported) << Dump();
}
#endif

TEST_F(BadInput, SourceOrDestinationThatIsAFile) {
  drive.Write("C:\\OLDFILE", "x");
  EXPECT_EQ(Run("C:\\OLDFILE|" + kNewInstallation), 1);
  EXPECT_EQ(LastLine(), "# Can not find path: C:\\OLDFILE\\System");
  EXPECT_EQ(Run(kOldInstallation + "|C:\\OLDFILE"), 1);
  EXPECT_EQ(LastLine(), "# Can not find path: C:\\OLDFILE\\System");
  EXPECT_EQ(drive.Read("C:\\OLDFILE"), "x");
}

TEST_F(BadInput, DestinationInsideTheSource) {
  EXPECT_EQ(Run(kOldInstallation + "|" + kOldInstallation + "\\Program"), 1);
  EXPECT_EQ(LastLine(), "# ERROR: source path = destination path");
}

}  // namespace
