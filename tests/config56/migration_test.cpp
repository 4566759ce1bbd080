// The whole migration: from the three texts to the control file, and in a
// batch run with the real exchange program, into the new $CONFIG.DAT.

#include "config56/migration.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "support/test_env.h"

namespace {

using Lines = std::vector<std::string>;

const std::string kOld = "C:\\QVD_OLDINST\\QVD\\R1";
const std::string kNew = "C:\\QVD\\ROBOTER\\QVD\\R1";
const std::string kUpgFile = "C:\\PROG\\Vantrel\\Config_5x-6x.upg";

const std::string kTrackRoot = "{X 1200.0,Y 0.0,Z 0.0,A 0.0,B 0.0,C 0.0}";
const std::string kTurnRoot = "{X 0.0,Y 0.0,Z 0.0,A 0.0,B 0.0,C 90.0}";
const std::string kZero = "{X 0.0,Y 0.0,Z 0.0,A 0.0,B 0.0,C 0.0}";

std::string AxisData(int n, const std::string& root, const std::string& kin) {
  return "EX_AX_DATA[" + std::to_string(n) + "]={ROOT " + root + ",OFFSET {X " + std::to_string(n) +
         "0.0,Y 0.0,Z 0.0,A 0.0,B 0.0,C 0.0},EX_KIN " + kin + ",AX_TYPE 1}\r\n";
}

// A 5.x configuration with a track as axis 1 and a turntable as axis 4.
std::string OldConfig() {
  std::string text =
      "DEFDAT  $CONFIG\r\n"
      ";FOLD USER GLOBALS\r\n"
      "INT MY_COUNT=3\r\n"
      ";ENDFOLD\r\n"
      "DECL FDAT FDEFAULT={TOOL_NO 1,BASE_NO 0,IPO_FRAME #BASE}\r\n"
      "DECL FDAT FHOME={TOOL_NO 0,BASE_NO 0,IPO_FRAME #BASE}\r\n"
      "DECL EX_AX_DATA_T EX_AX_DATA[6]\r\n";
  for (int n = 1; n <= 6; ++n) {
    text += AxisData(n,
                     n == 1   ? kTrackRoot
                     : n == 4 ? kTurnRoot
                              : kZero,
                     n == 1 ? "#EASYS" : "#ERSYS");
  }
  return text +
         "DECL CHAR EX_AX_NAME[6,24]\r\n"
         "EX_AX_NAME[1,]=\"Track\"\r\n"
         "EX_AX_NAME[4,]=\"Turn table\"\r\n"
         "EX_AX_TYPE[1]=#LIN\r\n"
         "EX_AX_TYPE[4]=#ROT\r\n"
         "ENDDAT\r\n";
}

// A 6.x configuration: bases and machine definitions, no external-axis arrays.
const std::string kNewConfig =
    "DEFDAT  $CONFIG\r\n"
    ";FOLD USER GLOBALS\r\n"
    ";ENDFOLD\r\n"
    "INT MAX_BASE=16\r\n"
    "DECL FDAT FDEFAULT={TOOL_NO 1,BASE_NO 0,IPO_FRAME #BASE,POINT2[] \"P\"}\r\n"
    "DECL FRAME BASE_DATA[32]\r\n"
    "BASE_DATA[17]={X 0.0,Y 0.0,Z 0.0,A 0.0,B 0.0,C 0.0}\r\n"
    "DECL MACHINE_DEF_T MACHINE_DEF[32]\r\n"
    "MACHINE_DEF[1]={NAME[] \"ROBOT\",COOP_QVD_INDEX 1,PARENT[] \"WORLD\"}\r\n"
    "ENDDAT\r\n";

const std::string kMachineData =
    "DEFDAT $MACHINE\r\n$ET1_NAME[]=\"ET1_TRACK\"\r\n$ET4_NAME[]=\"ET4_TURN\"\r\nENDDAT\r\n";

Lines SplitLines(const std::string& text) {
  Lines lines;
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = std::min(text.find("\r\n", start), text.size());
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

// The lines the migration writes for the old configuration's two axes.
const Lines kMigratedLines = {
    "INT MAX_BASE=32",
    "DECL FDAT FDEFAULT={TOOL_NO 1,BASE_NO 0,IPO_FRAME #BASE,POINT2[] \" \"}",
    "DECL FDAT FHOME={TOOL_NO 0,BASE_NO 0,IPO_FRAME #BASE,POINT2[] \" \"}",
    "BASE_DATA[17]={X 10.0,Y 0.0,Z 0.0,A 0.0,B 0.0,C 0.0}",
    "BASE_DATA[20]={X 40.0,Y 0.0,Z 0.0,A 0.0,B 0.0,C 0.0}",
    "BASE_NAME[17,]=\"Track\"",
    "BASE_NAME[20,]=\"Turn table\"",
    "BASE_TYPE[17]=#LIN",
    "BASE_TYPE[20]=#ROT",
    "MACHINE_DEF[2]={NAME[] \"ET1_TRACK\",COOP_QVD_INDEX 1,PARENT[] \"WORLD\",ROOT " + kTrackRoot +
        ",MECH_TYPE #EASYS,GEOMETRY[] \" \"}",
    "MACHINE_DEF[5]={NAME[] \"ET4_TURN\",COOP_QVD_INDEX 1,PARENT[] \"WORLD\",ROOT " + kTurnRoot +
        ",MECH_TYPE #ERSYS,GEOMETRY[] \" \"}",
    "MACHINE_FRAME_DAT[17]={MACH_DEF_INDEX 17,PARENT[] \"ET1_TRACK\",GEOMETRY[] \" \"}",
    "MACHINE_FRAME_DAT[20]={MACH_DEF_INDEX 20,PARENT[] \"ET4_TURN\",GEOMETRY[] \" \"}",
};

TEST(MigrateConfig, EachMigrationStartsWithAnEmptyTableAndFile) {
  testenv::ScratchDrive drive;
  testenv::MakeProgramFolder(drive, "C:\\PROG", true);
  testenv::MemoryRun run;
  run.context.Arg.Dest = kNew;
  run.context.SystemFile.FoundDestFile = "System\\$CONFIG.DAT";

  MigrateConfig(run.context, OldConfig(), "", kMachineData);
  Lines file = SplitLines(drive.Read(kUpgFile));
  EXPECT_EQ(Lines(file.begin() + 2, file.end()), kMigratedLines);

  const std::string onlyAxis6 = AxisData(6, kTrackRoot, "#EASYS");
  MigrateConfig(run.context, onlyAxis6, "", "");
  file = SplitLines(drive.Read(kUpgFile));
  EXPECT_EQ(
      Lines(file.begin() + 2, file.end()),
      (Lines{"INT MAX_BASE=32", "DECL FDAT FDEFAULT={TOOL_NO ,BASE_NO ,IPO_FRAME ,POINT2[] \" \"}",
             "DECL FDAT FHOME={TOOL_NO ,BASE_NO ,IPO_FRAME ,POINT2[] \" \"}",
             "BASE_DATA[22]={X 60.0,Y 0.0,Z 0.0,A 0.0,B 0.0,C 0.0}",
             "BASE_NAME[22,]=", "BASE_TYPE[22]=",
             "MACHINE_DEF[7]={NAME[] ,COOP_QVD_INDEX 1,PARENT[] \"WORLD\",ROOT " + kTrackRoot +
                 ",MECH_TYPE #EASYS,GEOMETRY[] \" \"}",
             "MACHINE_FRAME_DAT[22]={MACH_DEF_INDEX 22,PARENT[] ,GEOMETRY[] \" \"}"}));
  EXPECT_EQ(testenv::RecordedFoldexCalls(drive, "C:\\PROG").size(), 2u);
}

// The exchange program ends a line at a lone CR as well: a name holding one
// must not smuggle a declaration of its own into the control file.
TEST(MigrateConfig, ALoneCarriageReturnInAValueEndsItsLine) {
  testenv::ScratchDrive drive;
  testenv::MakeProgramFolder(drive, "C:\\PROG", true);
  testenv::MemoryRun run;
  run.context.Arg.Dest = kNew;
  run.context.SystemFile.FoundDestFile = "System\\$CONFIG.DAT";

  const std::string source = AxisData(1, kTrackRoot, "#EASYS") +
                             "EX_AX_NAME[1,]=\"TRACK\"\rMAX_BASE=1\r\nEX_AX_TYPE[1]=3\r\n";
  MigrateConfig(run.context, source, "", "$ET1_NAME[]=\"ET1\"\rMAX_BASE=2\r\n");
  const Lines file = SplitLines(drive.Read(kUpgFile));
  ASSERT_EQ(file.size(), 10u);
  for (const std::string& line : file) EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos);
  EXPECT_EQ(file[6], "BASE_NAME[17,]=\"TRACK\"");
  EXPECT_EQ(file[8], "MACHINE_DEF[2]={NAME[] \"ET1\",COOP_QVD_INDEX 1,PARENT[] \"WORLD\",ROOT " +
                         kTrackRoot + ",MECH_TYPE #EASYS,GEOMETRY[] \" \"}");
}

TEST(MigrateConfig, BatchRunWithTheExchangeProgramMigratesTheNewConfiguration) {
  testenv::ScratchDrive drive;
  testenv::MakeProgramFolder(drive, "C:\\PROG", false);
  drive.Write(kOld + "\\System\\$CONFIG.DAT", OldConfig());
  drive.Write(kNew + "\\System\\$CONFIG.DAT", kNewConfig);
  drive.Write(kOld + "\\Mada\\$machine.dat", kMachineData);
  for (const char* name : {"SPS.SUB", "IR_STOPM.SRC"}) {
    drive.Write(kOld + "\\System\\" + name, "DEF X()\r\nEND\r\n");
    drive.Write(kNew + "\\System\\" + name, "DEF X()\r\nEND\r\n");
  }
  drive.MakeFolder(kOld + "\\Program");
  drive.Write("C:\\QVD\\ROBOTER\\Template\\Vorgabe.src", "DEF X()\r\nEND\r\n");
  drive.Write("C:\\QVD\\ROBOTER\\Template\\Vorgabe.dat", "DEFDAT X\r\nENDDAT\r\n");
  drive.MakeFolder("C:\\QVD\\ROBOTER\\LOG");
  testenv::BatchRun run("C:\\PROG");
  EXPECT_EQ(run.Run(kOld + "|" + kNew), 0);

  const Lines log = testenv::ReadLogLines(drive.Host("C:\\QVD\\ROBOTER\\LOG\\Vantrel.log"));
  EXPECT_NE(
      std::find(log.begin(), log.end(), ". Additional upgrade from V5.x to V6.x is necessary !"),
      log.end());
  const Lines config = SplitLines(drive.Read(kNew + "\\System\\$CONFIG.DAT"));
  for (const std::string& line : kMigratedLines) {
    EXPECT_EQ(std::count(config.begin(), config.end(), line), 1) << line;
  }
  EXPECT_EQ(std::count(config.begin(), config.end(), "INT MAX_BASE=16"), 0);
  EXPECT_EQ(config.back(), "ENDDAT");
  EXPECT_EQ(std::count(config.begin(), config.end(), "INT MY_COUNT=3"), 1);
}

}  // namespace
