// Reading the three files of the check, and the check's finding for every
// pair of configurations.

#include "config56/config_text.h"
#include "config56/version_check.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/test_env.h"

namespace {

using Lines = std::vector<std::string>;

const std::string kSourceConfig = "C:\\OLD\\R1\\System\\$CONFIG.DAT";
const std::string kDestConfig = "C:\\NEW\\R1\\System\\$CONFIG.DAT";
const std::string kMachineData = "C:\\OLD\\R1\\Mada\\$machine.dat";
const std::string kV5 =
    "DEFDAT $CONFIG\r\n"
    "EX_AX_DATA[1]={ROOT {X 1200.0,Y 0.0,Z 0.0,A 0.0,B 0.0,C 0.0},OFFSET {X 0.0},EX_KIN "
    "#EASYS,AX 1}\r\n"
    "EX_AX_NAME[1,]=\"E1\"\r\n"
    "EX_AX_TYPE[1]=3\r\n";
const std::string kV6 = "DEFDAT $CONFIG\r\nINT MAX_BASE=32\r\n";

const Lines kCheck = {". ",
                      ". Check the both Files, is here a additional upgrade from V5.x to V6.x "
                      "needed?"};
const std::string kNotV5 =
    ". The $config.dat in SOURCE is NOT from V5.x  --> additional upgrade from V5.x to V6.x is "
    "NOT necessary";
const std::string kIsV5 = ". The $config.dat in SOURCE is from V5.x ";
const std::string kNotV6 =
    "# The $Config.dat in DESTINATION is NOT from V6.x  --> additional upgrade from V5.x to V6.x "
    "is NOT not possible";
const Lines kMigration = {
    ". The $config.dat in DESTINATION is from V6.x ",
    ". Additional upgrade from V5.x to V6.x is necessary !",
    ". Analyse the Soucefile -$Config.dat-",
    ". The Root in -EX_AX_DATA[2]- is 0 --> No Upgrade",
    ". The Root in -EX_AX_DATA[3]- is 0 --> No Upgrade",
    ". The Root in -EX_AX_DATA[4]- is 0 --> No Upgrade",
    ". The Root in -EX_AX_DATA[5]- is 0 --> No Upgrade",
    ". The Root in -EX_AX_DATA[6]- is 0 --> No Upgrade",
    ". Analyse the Soucefile -$Machine.dat-",
    ". Generate the Upg-file: C:\\PROG\\VANTREL\\Config_5x-6x.upg",
    ". +++ Start: Transfer all variables, descriped inC:\\PROG\\VANTREL\\Config_5x-6x.upg into "
    "Dest-file",
    ". +++ End: Transfer all variables, descriped inC:\\PROG\\VANTREL\\Config_5x-6x.upg into "
    "Dest-file"};

Lines Join(std::initializer_list<Lines> parts) {
  Lines all;
  for (const Lines& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

TEST(CompactBlanks, RunsOfBlanksBecomeOneAndEndsAreTrimmed) {
  EXPECT_EQ(CompactBlanks("  A   B  "), "A B");
  EXPECT_EQ(CompactBlanks("    "), "");
  EXPECT_EQ(CompactBlanks(""), "");
  EXPECT_EQ(CompactBlanks("A B"), "A B");
}

TEST(CompactBlanks, OnlyTheBlankCounts) {
  EXPECT_EQ(CompactBlanks("A \t  B\r\n   C\t"), "A \t B\r\n C\t");
}

TEST(CompactBlanks, LargeTextsAreCompactedWhole) {
  std::string text, expected;
  for (int i = 0; i < 100000; ++i) {
    text += "x" + std::string(40, ' ');
    expected += "x ";
  }
  expected.pop_back();
  EXPECT_EQ(CompactBlanks(text), expected);
}

class VersionCheck : public ::testing::Test {
 protected:
  void SetUp() override {
    testenv::MakeProgramFolder(drive, "C:\\PROG", true);
    Context& context = run.context;
    context.Arg.Source = "C:\\OLD\\R1";
    context.Arg.Dest = "C:\\NEW\\R1";
    context.SystemFile.SourceFileName = context.SystemFile.DestFileName = "System\\$CONFIG.DAT";
    context.SystemFile.FoundSourceFile = context.SystemFile.FoundDestFile = "System\\$CONFIG.DAT";
  }
  Lines FoldexCalls() const { return testenv::RecordedFoldexCalls(drive, "C:\\PROG"); }

  testenv::ScratchDrive drive;
  testenv::MemoryRun run;
};

TEST_F(VersionCheck, ReadWholeFileCompactsTheText) {
  drive.Write(kSourceConfig, "  A  =  1\r\n   B\r\n");
  std::string text = "stale";
  ReadWholeFile(run.context, kSourceConfig, text);
  EXPECT_EQ(text, "A = 1\r\n B\r\n");
  EXPECT_TRUE(run.lines().empty());
}

TEST_F(VersionCheck, ReadWholeFileOfAMissingFileIsAnErrorAndEmpty) {
  drive.MakeFolder(kMachineData);
  std::string missing = "stale", folder = "stale";
  ReadWholeFile(run.context, kSourceConfig, missing);
  ReadWholeFile(run.context, kMachineData, folder);
  EXPECT_EQ(missing, "");
  EXPECT_EQ(folder, "");
  EXPECT_EQ(run.lines(),
            (Lines{"#. File not found" + kSourceConfig, "#. File not found" + kMachineData}));
}

#ifndef _WIN32
// The unreadable file is a process's memory under /proc.
// A file that exists but cannot be read: the kernel's view of a process's
// memory refuses reads at address 0, whatever the user's rights.
TEST_F(VersionCheck, ReadWholeFileOfAnUnreadableFileIsAnErrorWithTheReason) {
  if (!std::filesystem::is_regular_file("/proc/self/mem")) GTEST_SKIP() << "no /proc";
  std::string text = "stale";
  ReadWholeFile(run.context, "\\proc\\self\\mem", text);
  EXPECT_EQ(text, "");
  EXPECT_EQ(run.lines(), (Lines{"# Can not read: \\proc\\self\\mem (Input/output error)"}));
}
#endif

TEST_F(VersionCheck, SourceWithoutTheNameKeyIsNotV5) {
  drive.Write(kSourceConfig, "EX_AX_DATA[1]={ROOT {X 1}}\r\n");
  drive.Write(kDestConfig, kV6);
  drive.Write(kMachineData, "$ET1_NAME[]=\"E1\"\r\n");
  CheckConfigVersion(run.context);
  EXPECT_EQ(run.lines(), Join({kCheck, {kNotV5}}));
  EXPECT_TRUE(FoldexCalls().empty());
}

TEST_F(VersionCheck, MissingFilesAreLoggedEvenWhenTheCheckEndsEarly) {
  drive.Write(kDestConfig, kV6);
  CheckConfigVersion(run.context);
  EXPECT_EQ(run.lines(),
            Join({{"#. File not found" + kSourceConfig, "#. File not found" + kMachineData},
                  kCheck,
                  {kNotV5}}));
}

TEST_F(VersionCheck, DestinationHoldingOneV5KeyIsAnError) {
  drive.Write(kSourceConfig, kV5);
  drive.Write(kDestConfig, kV6 + "EX_AX_NAME[1,]=\"E1\"\r\n");
  drive.Write(kMachineData, "");
  CheckConfigVersion(run.context);
  EXPECT_EQ(run.lines(), Join({kCheck, {kIsV5, kNotV6}}));
  EXPECT_EQ(run.log.counter, 1);
  EXPECT_TRUE(FoldexCalls().empty());
}

TEST_F(VersionCheck, DestinationHoldingTheDataKeyInLowerCaseIsAnError) {
  drive.Write(kSourceConfig, kV5);
  drive.Write(kDestConfig, "ex_ax_data[1]={}\r\n");
  drive.Write(kMachineData, "");
  CheckConfigVersion(run.context);
  EXPECT_EQ(run.lines(), Join({kCheck, {kIsV5, kNotV6}}));
}

// The analysis compares its keys exactly: lower-case axis lines are not
// found, so every axis has a zero root.
TEST_F(VersionCheck, LowerCaseKeysInTheSourceCountAsV5) {
  drive.Write(kSourceConfig,
              "ex_ax_data[1]={root {X 0.0,Y 0.0,Z 0.0,A 0.0,B 0.0,C 90.0},offset {X 1.0},"
              "ex_kin #EASYS,AX 1}\r\nex_ax_name[1,]=\"E1\"\r\n");
  drive.Write(kDestConfig, kV6);
  drive.Write(kMachineData, "$ET1_NAME[]=\"TRACK\"\r\n");
  CheckConfigVersion(run.context);
  Lines expected = Join({kCheck, {kIsV5}, kMigration});
  expected.insert(expected.begin() + 6, ". The Root in -EX_AX_DATA[1]- is 0 --> No Upgrade");
  EXPECT_EQ(run.lines(), expected);
  EXPECT_EQ(FoldexCalls(), (Lines{kDestConfig + " | C:\\PROG\\VANTREL\\Config_5x-6x.upg/DAT"}));
}

TEST_F(VersionCheck, V5SourceMeetingV6DestinationIsMigrated) {
  drive.Write(kSourceConfig, kV5);
  drive.Write(kDestConfig, kV6);
  drive.Write(kMachineData, "$ET1_NAME[]=\"TRACK\"\r\n");
  CheckConfigVersion(run.context);
  EXPECT_EQ(run.lines(), Join({kCheck, {kIsV5}, kMigration}));
  EXPECT_EQ(run.log.counter, 0);
  EXPECT_EQ(FoldexCalls(), (Lines{kDestConfig + " | C:\\PROG\\VANTREL\\Config_5x-6x.upg/DAT"}));
  const std::string upg = drive.Read("C:\\PROG\\Vantrel\\Config_5x-6x.upg");
  EXPECT_NE(upg.find("\r\nMACHINE_DEF[2]={NAME[] \"TRACK\",COOP_QVD_INDEX 1,PARENT[] \"WORLD\","
                     "ROOT {X 1200.0,Y 0.0,Z 0.0,A 0.0,B 0.0,C 0.0},MECH_TYPE #EASYS,GEOMETRY[] "
                     "\" \"}\r\n"),
            std::string::npos);
  EXPECT_NE(upg.find("\r\nBASE_NAME[17,]=\"E1\"\r\n"), std::string::npos);
}

TEST_F(VersionCheck, MissingDestinationCountsAsV6) {
  drive.Write(kSourceConfig, kV5);
  CheckConfigVersion(run.context);
  EXPECT_EQ(run.lines(),
            Join({{"#. File not found" + kDestConfig, "#. File not found" + kMachineData},
                  kCheck,
                  {kIsV5},
                  kMigration}));
  EXPECT_EQ(FoldexCalls().size(), 1u);
}

#ifndef _WIN32
// The unreadable file is a process's memory under /proc.
// The first file that cannot be read ends the check there: the files after
// it are not read, so a missing one is not reported either.
TEST_F(VersionCheck, UnreadableFileEndsTheCheckAtOnce) {
  if (!std::filesystem::is_regular_file("/proc/self/mem")) GTEST_SKIP() << "no /proc";
  run.context.Arg.Source = "\\proc\\self";
  run.context.SystemFile.SourceFileName = "mem";
  drive.Write(kDestConfig, kV6);
  CheckConfigVersion(run.context);
  EXPECT_EQ(run.lines(), (Lines{"# Can not read: \\proc\\self\\mem (Input/output error)"}));
  EXPECT_TRUE(FoldexCalls().empty());
}
#endif

#ifndef _WIN32
// The unreadable file is a process's memory under /proc.
TEST_F(VersionCheck, UnreadableDestinationEndsTheCheckAfterTheMissingSource) {
  if (!std::filesystem::is_regular_file("/proc/self/mem")) GTEST_SKIP() << "no /proc";
  run.context.Arg.Dest = "\\proc\\self";
  run.context.SystemFile.DestFileName = "mem";
  drive.Write(kMachineData, "$ET1_NAME[]=\"E1\"\r\n");
  CheckConfigVersion(run.context);
  EXPECT_EQ(run.lines(), (Lines{"#. File not found" + kSourceConfig,
                                "# Can not read: \\proc\\self\\mem (Input/output error)"}));
  EXPECT_EQ(run.log.counter, 2);
}
#endif

}  // namespace
