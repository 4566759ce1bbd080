// Reading the six external axes of a 5.x configuration and their machine
// names.

#include "config56/analysis.h"

#include <gtest/gtest.h>

#include "support/test_env.h"

namespace {

using Entries = std::vector<std::pair<std::string, std::string>>;
using Lines = std::vector<std::string>;

std::string AxisLine(int n, const std::string& root, const std::string& offset,
                     const std::string& kin) {
  return "EX_AX_DATA[" + std::to_string(n) + "]={ROOT " + root + ",OFFSET " + offset + ",EX_KIN " +
         kin + ",AX_TYPE 1}\r\n";
}

const std::string kFrame1 = "{X 1200.0,Y 0.0,Z 0.0,A 0.0,B 0.0,C 0.0}";
const std::string kOffset1 = "{X 10.0,Y 0.0,Z 5.0,A 0.0,B 0.0,C 0.0}";
const std::string kFrame5 = "{X 0.0,Y 0.0,Z 0.0,A 0.0,B 0.0,C 90.0}";

// Axis 1 and 5 are set; 2, 4 and 6 have zero roots written 0, -0.0 and
// 0.0; axis 3 has no line at all.
const std::string kSource =
    "DEFDAT $CONFIG\r\n" + AxisLine(1, kFrame1, kOffset1, "#EASYS") +
    AxisLine(2, "{X 0,Y 0,Z 0,A 0,B 0,C 0}", kOffset1, "#E2") +
    AxisLine(4, "{X -0.0,Y -0.0,Z -0.0,A -0.0,B -0.0,C -0.0}", kOffset1, "#E4") +
    "EX_AX_DATA[5]={root " + kFrame5 + ",offset {X 1.0},ex_kin #Rot5,AX_TYPE 1}\r\n" +
    AxisLine(6, "{X 0.0,Y 0.0,Z 0.0,A 0.0,B 0.0,C 0.0}", kOffset1, "#E6") +
    "EX_AX_NAME[1,]=\"Track one\" ; the track\r\n"
    "EX_AX_NAME[2,]=\"E2\"\r\n"
    "ex_ax_name[5,]=\"E5\"\r\n"
    "EX_AX_TYPE[1]=3\r\n"
    "EX_AX_TYPE[5]=#ROT\r\n"
    "ENDDAT\r\n";

TEST(AnalyseConfigDat, ReadsEachAxisAndMarksZeroRoots) {
  testenv::MemoryRun run;
  ExAxData data;
  AnalyseConfigDat(run.context, kSource, data);
  EXPECT_EQ(run.lines(), (Lines{". Analyse the Soucefile -$Config.dat-",
                                ". The Root in -EX_AX_DATA[2]- is 0 --> No Upgrade",
                                ". The Root in -EX_AX_DATA[3]- is 0 --> No Upgrade",
                                ". The Root in -EX_AX_DATA[4]- is 0 --> No Upgrade",
                                ". The Root in -EX_AX_DATA[6]- is 0 --> No Upgrade"}));
  Entries expected = {
      {"Root1", kFrame1},         {"Offset1", kOffset1}, {"Kin1", "#EASYS"},
      {"Name1", "\"Track one\""}, {"Type1", "3"},
  };
  for (int n : {2, 3, 4}) {
    for (const char* field : {"Root", "Offset", "Kin", "Name", "Type"})
      expected.push_back({AxisKey(field, n), "0"});
  }
  // Lower-case words are found inside the data line; a lower-case name line
  // is not found.
  expected.insert(expected.end(), {{"Root5", kFrame5},
                                   {"Offset5", "{X 1.0}"},
                                   {"Kin5", "#Rot5"},
                                   {"Name5", ""},
                                   {"Type5", "#ROT"}});
  for (const char* field : {"Root", "Offset", "Kin", "Name", "Type"})
    expected.push_back({AxisKey(field, 6), "0"});
  EXPECT_EQ(data.entries(), expected);
}

TEST(AnalyseConfigDat, DataLineWithoutOffsetOrKinematicsGivesEmptyFields) {
  testenv::MemoryRun run;
  ExAxData data;
  AnalyseConfigDat(run.context, "EX_AX_DATA[1]={ROOT " + kFrame1 + "}\r\n", data);
  EXPECT_EQ(data.Get("Root1"), kFrame1);
  EXPECT_EQ(data.Get("Offset1"), "}");
  EXPECT_EQ(data.Get("Kin1"), "");
  EXPECT_EQ(data.Get("Name1"), "");
  EXPECT_EQ(data.Get("Type1"), "");
}

TEST(AnalyseConfigDat, EmptyOrOverlongTextNeverFails) {
  testenv::MemoryRun run;
  ExAxData empty;
  AnalyseConfigDat(run.context, "", empty);
  EXPECT_EQ(empty.size(), 30u);
  EXPECT_EQ(run.lines().size(), 7u);

  ExAxData garbled;
  const std::string longLine =
      "EX_AX_DATA[1]={ROOT {X " + std::string(20000, '7') + ",C 1e99999},EX_KIN ,\r\n";
  AnalyseConfigDat(run.context, longLine, garbled);
  EXPECT_EQ(garbled.Get("Kin1"), "");
  EXPECT_EQ(garbled.Get("Root1"), "{X " + std::string(20000, '7') + ",C 1e99999}");
}

TEST(AnalyseMachineDat, StoresTheNamesOfAllSixAxes) {
  testenv::MemoryRun run;
  ExAxData data;
  data.Set("Root1", "0");
  AnalyseMachineDat(run.context,
                    "$ET1_NAME[]=\"TRACK\" ; first\r\n$et2_name[]=\"low\"\r\n"
                    "$ET3_NAME[]=\"C  D\"\r\n$ET6_NAME[]=\"LAST\"",
                    data);
  EXPECT_EQ(run.lines(), (Lines{". Analyse the Soucefile -$Machine.dat-"}));
  EXPECT_EQ(data.entries(), (Entries{{"Root1", "0"},
                                     {"ET_Name1", "\"TRACK\""},
                                     {"ET_Name2", ""},
                                     {"ET_Name3", "\"C D\""},
                                     {"ET_Name4", ""},
                                     {"ET_Name5", ""},
                                     {"ET_Name6", "\"LAST\""}}));
}

}  // namespace
