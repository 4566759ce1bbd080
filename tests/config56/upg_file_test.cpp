// The lines of the migration control file, the file itself and the run of
// the exchange program with it.

#include "config56/upg_file.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/test_env.h"
#include "version.h"

namespace {

using Lines = std::vector<std::string>;

const std::string kPoint2 = ",POINT2[] \" \"}";

ExAxData AllZero() {
  ExAxData data;
  for (int n = 1; n <= 6; ++n) {
    for (const char* field : {"Root", "Offset", "Kin", "Name", "Type"})
      data.Set(AxisKey(field, n), "0");
  }
  for (int n = 1; n <= 6; ++n) data.Set(AxisKey("ET_Name", n), "");
  return data;
}

void SetAxis(ExAxData& data, int n) {
  const std::string i = std::to_string(n);
  data.Set("Root" + i, "{X " + i + "00.0,Y 0.0,Z 0.0,A 0.0,B 0.0,C 0.0}");
  data.Set("Offset" + i, "{X " + i + ".0,Y 0.0,Z 0.0,A 0.0,B 0.0,C 0.0}");
  data.Set("Kin" + i, "#EASYS" + i);
  data.Set("Name" + i, "\"Axis " + i + "\"");
  data.Set("Type" + i, "#ROT");
  data.Set("ET_Name" + i, "\"ET" + i + "\"");
}

Lines Generated(const std::string& source, const ExAxData& data) {
  Lines lines;
  AppendUpgLines(source, data, lines);
  return lines;
}

TEST(AppendUpgLines, FdatDeclarationsWithoutPoint2AreRebuilt) {
  const std::string source =
      "DECL FDAT FDEFAULT={TOOL_NO 1,BASE_NO 0,IPO_FRAME #BASE}\r\n"
      "DECL FDAT FHOME={Tool_No 2, Base_No 3,ipo_frame #TCP }\r\n";
  EXPECT_EQ(
      Generated(source, AllZero()),
      (Lines{"INT MAX_BASE=32", "DECL FDAT FDEFAULT={TOOL_NO 1,BASE_NO 0,IPO_FRAME #BASE" + kPoint2,
             "DECL FDAT FHOME={TOOL_NO 2,BASE_NO 3,IPO_FRAME #TCP" + kPoint2}));
}

TEST(AppendUpgLines, FdatDeclarationsWithPoint2AreLeftOut) {
  const std::string source =
      "DECL FDAT FDEFAULT={TOOL_NO 1,BASE_NO 0,IPO_FRAME #BASE,POINT2[] \" \"}\r\n"
      "DECL FDAT FHOME={TOOL_NO 1,BASE_NO 0,IPO_FRAME #BASE,point2[] \"P\"}\r\n";
  EXPECT_EQ(Generated(source, AllZero()), (Lines{"INT MAX_BASE=32"}));
}

TEST(AppendUpgLines, MissingFdatDeclarationsGiveEmptyValues) {
  const std::string source = "DECL FDAT FHOME={TOOL_NO 4,BASE_NO 5,IPO_FRAME #BASE,POINT2[] \"\"}";
  EXPECT_EQ(
      Generated(source, AllZero()),
      (Lines{"INT MAX_BASE=32", "DECL FDAT FDEFAULT={TOOL_NO ,BASE_NO ,IPO_FRAME " + kPoint2}));
  EXPECT_EQ(Generated("", AllZero()),
            (Lines{"INT MAX_BASE=32", "DECL FDAT FDEFAULT={TOOL_NO ,BASE_NO ,IPO_FRAME " + kPoint2,
                   "DECL FDAT FHOME={TOOL_NO ,BASE_NO ,IPO_FRAME " + kPoint2}));
}

TEST(AppendUpgLines, AxesTwoAndFiveGiveTwoLinesPerStep) {
  ExAxData data = AllZero();
  SetAxis(data, 2);
  SetAxis(data, 5);
  const std::string fdats =
      "DECL FDAT FDEFAULT={TOOL_NO 1,BASE_NO 0,IPO_FRAME #BASE,POINT2[] \" \"}\r\n"
      "DECL FDAT FHOME={TOOL_NO 1,BASE_NO 0,IPO_FRAME #BASE,POINT2[] \" \"}\r\n";
  EXPECT_EQ(
      Generated(fdats, data),
      (Lines{
          "INT MAX_BASE=32",
          "BASE_DATA[18]={X 2.0,Y 0.0,Z 0.0,A 0.0,B 0.0,C 0.0}",
          "BASE_DATA[21]={X 5.0,Y 0.0,Z 0.0,A 0.0,B 0.0,C 0.0}",
          "BASE_NAME[18,]=\"Axis 2\"",
          "BASE_NAME[21,]=\"Axis 5\"",
          "BASE_TYPE[18]=#ROT",
          "BASE_TYPE[21]=#ROT",
          "MACHINE_DEF[3]={NAME[] \"ET2\",COOP_QVD_INDEX 1,PARENT[] \"WORLD\",ROOT {X 200.0,Y "
          "0.0,Z 0.0,A 0.0,B 0.0,C 0.0},MECH_TYPE #EASYS2,GEOMETRY[] \" \"}",
          "MACHINE_DEF[6]={NAME[] \"ET5\",COOP_QVD_INDEX 1,PARENT[] \"WORLD\",ROOT {X 500.0,Y "
          "0.0,Z 0.0,A 0.0,B 0.0,C 0.0},MECH_TYPE #EASYS5,GEOMETRY[] \" \"}",
          "MACHINE_FRAME_DAT[18]={MACH_DEF_INDEX 18,PARENT[] \"ET2\",GEOMETRY[] \" \"}",
          "MACHINE_FRAME_DAT[21]={MACH_DEF_INDEX 21,PARENT[] \"ET5\",GEOMETRY[] \" \"}",
      }));
}

TEST(AppendUpgLines, AllSixAxesUseIndicesSeventeenToTwentyTwo) {
  ExAxData data = AllZero();
  for (int n = 1; n <= 6; ++n) SetAxis(data, n);
  const Lines lines = Generated("", data);
  ASSERT_EQ(lines.size(), 33u);
  EXPECT_EQ(lines[3].substr(0, 14), "BASE_DATA[17]=");
  EXPECT_EQ(lines[8].substr(0, 14), "BASE_DATA[22]=");
  EXPECT_EQ(lines[21].substr(0, 21), "MACHINE_DEF[2]={NAME[");
  EXPECT_EQ(lines[26].substr(0, 21), "MACHINE_DEF[7]={NAME[");
  EXPECT_EQ(lines[32],
            "MACHINE_FRAME_DAT[22]={MACH_DEF_INDEX 22,PARENT[] \"ET6\",GEOMETRY[] \" \"}");
}

class GenerateUpgFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    testenv::MakeProgramFolder(drive, "C:\\PROG", true);
    run.context.Arg.Dest = "C:\\NEW\\R1";
    run.context.SystemFile.FoundDestFile = "System\\$CONFIG.DAT";
  }
  // The control file's lines; its header is checked and replaced by "HEADER"
  // as it carries the date and time.
  Lines UpgFile() const {
    std::string text = drive.Read(kUpgFile);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    Lines lines;
    for (std::size_t start = 0; start < text.size();) {
      std::size_t end = text.find("\r\n", start);
      lines.push_back(text.substr(start, end - start));
      start = end + 2;
    }
    const std::string prefix = ";automaticaly created file: Vantrel, V" +
                               std::to_string(vantrel::kVersionMajor) + "." +
                               std::to_string(vantrel::kVersionMinor) + "." +
                               std::to_string(vantrel::kVersionRevision) + ",    Date: ";
    EXPECT_EQ(lines.at(0).substr(0, prefix.size()), prefix);
    const std::size_t time = lines[0].find(", Time: ", prefix.size());
    EXPECT_NE(time, std::string::npos);
    EXPECT_GT(time, prefix.size());
    EXPECT_GT(lines[0].size(), time + 8);
    lines[0] = "HEADER";
    return lines;
  }

  const std::string kUpgFile = "C:\\PROG\\Vantrel\\Config_5x-6x.upg";
  const std::string kLogged = "C:\\PROG\\VANTREL\\Config_5x-6x.upg";
  testenv::ScratchDrive drive;
  testenv::MemoryRun run;
};

TEST_F(GenerateUpgFileTest, WritesTheFileAndRunsTheExchangeProgramWithIt) {
  drive.Write(kUpgFile, "old contents that must go\r\n");
  ExAxData data = AllZero();
  SetAxis(data, 1);
  Lines upgLines;
  GenerateUpgFile(run.context, "DECL FDAT FDEFAULT={TOOL_NO 1,BASE_NO 0,IPO_FRAME #BASE}\r\n", data,
                  upgLines);
  EXPECT_EQ(
      run.lines(),
      (Lines{". Generate the Upg-file: " + kLogged,
             ". +++ Start: Transfer all variables, descriped in" + kLogged + " into Dest-file",
             ". +++ End: Transfer all variables, descriped in" + kLogged + " into Dest-file"}));
  Lines expected{"HEADER", ""};
  expected.insert(expected.end(), upgLines.begin(), upgLines.end());
  EXPECT_EQ(upgLines.size(), 8u);
  EXPECT_EQ(upgLines[1], "DECL FDAT FDEFAULT={TOOL_NO 1,BASE_NO 0,IPO_FRAME #BASE" + kPoint2);
  EXPECT_EQ(upgLines[3], "BASE_DATA[17]={X 1.0,Y 0.0,Z 0.0,A 0.0,B 0.0,C 0.0}");
  EXPECT_EQ(UpgFile(), expected);
  EXPECT_EQ(testenv::RecordedFoldexCalls(drive, "C:\\PROG"),
            (Lines{"C:\\NEW\\R1\\System\\$CONFIG.DAT | " + kLogged + "/DAT"}));
}

TEST_F(GenerateUpgFileTest, WithoutAnyAxisTheFixedLinesAreWrittenAndApplied) {
  Lines upgLines;
  GenerateUpgFile(run.context, "", AllZero(), upgLines);
  EXPECT_EQ(UpgFile(), (Lines{"HEADER", "", "INT MAX_BASE=32",
                              "DECL FDAT FDEFAULT={TOOL_NO ,BASE_NO ,IPO_FRAME " + kPoint2,
                              "DECL FDAT FHOME={TOOL_NO ,BASE_NO ,IPO_FRAME " + kPoint2}));
  EXPECT_EQ(testenv::RecordedFoldexCalls(drive, "C:\\PROG").size(), 1u);
}

// Without the control folder, VANTREL names the program file "vantrel" of
// the same folder on POSIX; on Windows the program is "vantrel.exe" and
// VANTREL names nothing.
TEST_F(GenerateUpgFileTest, FileThatCannotBeWrittenIsAnErrorAndNothingIsRun) {
  std::filesystem::remove_all(drive.Host("C:\\PROG\\Vantrel"));
  Lines upgLines;
  GenerateUpgFile(run.context, "", AllZero(), upgLines);
#ifdef _WIN32
  const std::string reason = "No such file or directory";
#else
  const std::string reason = "Not a directory";
#endif
  EXPECT_EQ(run.lines(), (Lines{". Generate the Upg-file: " + kLogged,
                                "# Can not write: " + kLogged + " (" + reason + ")"}));
  EXPECT_TRUE(testenv::RecordedFoldexCalls(drive, "C:\\PROG").empty());
}

}  // namespace
