// A whole batch run with the real exchange program: the user-file stage
// gives user programs the template's folds and keeps the customer's own.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/test_env.h"

namespace {

using Lines = std::vector<std::string>;

const std::string kOld = "C:\\QVD_OLDINST\\QVD\\R1";
const std::string kNew = "C:\\QVD\\ROBOTER\\QVD\\R1";
const std::string kRoot = "C:\\QVD\\ROBOTER";
const std::string kUpg = "C:\\PROG\\Vantrel\\";

const std::string kIni =
    "[START_SYSTEMFILES]\r\n[END_SYSTEMFILES]\r\n"
    "[START_FILENOTTOCONVERT]\r\n[END_FILENOTTOCONVERT]\r\n"
    "[START_FILETOCOPY]\r\n[END_FILETOCOPY]\r\n";

const std::string kSrcTemplate =
    "DEF Vorgabe()\r\n;FOLD INI\r\n;FOLD BASISTECH INI\r\n new tech\r\n;ENDFOLD\r\n"
    ";FOLD USER INI\r\n template user\r\n;ENDFOLD\r\n;ENDFOLD\r\nEND\r\n";
const std::string kDatTemplate =
    "DEFDAT Vorgabe\r\n;FOLD EXTERNAL DECLARATIONS\r\n new decl\r\n;ENDFOLD\r\n"
    ";FOLD USER DAT\r\n;ENDFOLD\r\nENDDAT\r\n";

const std::string kOldSrc =
    "DEF A()\r\n;FOLD INI\r\n;FOLD BASISTECH INI\r\n old tech\r\n;ENDFOLD\r\n"
    ";FOLD USER INI\r\n mine\r\n;ENDFOLD\r\n;ENDFOLD\r\nPTP HOME\r\nEND\r\n";
const std::string kNewSrc =
    "DEF A()\r\n;FOLD INI\r\n;FOLD BASISTECH INI\r\n new tech\r\n;ENDFOLD\r\n"
    ";FOLD USER INI\r\n mine\r\n;ENDFOLD\r\n;ENDFOLD\r\nPTP HOME\r\nEND\r\n";
const std::string kOldDat =
    "DEFDAT A\r\n;FOLD EXTERNAL DECLARATIONS\r\n old decl\r\n;ENDFOLD\r\n"
    ";FOLD USER DAT\r\nINT MINE=1\r\n;ENDFOLD\r\nENDDAT\r\n";
const std::string kNewDat =
    "DEFDAT A\r\n;FOLD EXTERNAL DECLARATIONS\r\n new decl\r\n;ENDFOLD\r\n"
    ";FOLD USER DAT\r\nINT MINE=1\r\n;ENDFOLD\r\nENDDAT\r\n";
const std::string kBroken = "DEF B()\r\n;FOLD BASISTECH INI\r\n old tech\r\nEND\r\n";
const std::string kSub = "DEF Cell()\r\n;FOLD USER PLC\r\n;ENDFOLD\r\nEND\r\n";

Lines Between(const Lines& log, const std::string& first, const std::string& last) {
  auto from = std::find(log.begin(), log.end(), first);
  auto to = std::find(from, log.end(), last);
  if (to == log.end()) return {};
  return Lines(from, to + 1);
}

Lines Upgraded(const std::string& file) {
  return {".Parse the File:" + file, ".ParseUserFile: " + file + " no failure found !",
          ".UpgradeUserFile " + kOld + "\\" + file,
          ".Copy file from SourceDir  to DestinationDir",
          "." + file + " copied from " + kOld + "\\" + file + " to " + kNew + "\\" + file};
}

void Append(Lines& lines, const Lines& more) { lines.insert(lines.end(), more.begin(), more.end()); }

TEST(UserStage, TemplateFoldsReplacedUserFoldsKept) {
  testenv::ScratchDrive drive;
  testenv::MakeProgramFolder(drive, "C:\\PROG", false);
  drive.Write("C:\\PROG\\vantrel.ini", kIni);
  drive.MakeFolder(kRoot + "\\LOG");
  drive.Write(kRoot + "\\Template\\Vorgabe.src", kSrcTemplate);
  drive.Write(kRoot + "\\Template\\Vorgabe.dat", kDatTemplate);
  drive.MakeFolder(kOld + "\\System");
  drive.MakeFolder(kNew + "\\System");
  drive.Write(kOld + "\\Program\\A.SRC", kOldSrc);
  drive.Write(kOld + "\\Program\\A.DAT", kOldDat);
  drive.Write(kOld + "\\Program\\BAD.SRC", kBroken);
  drive.Write(kOld + "\\Program\\Cell.SUB", kSub);

  testenv::BatchRun run{"C:\\PROG"};
  // The faults of BAD.SRC are the run's only errors.
  EXPECT_EQ(run.Run(kOld + "|" + kNew), 1);

  EXPECT_EQ(drive.Read(kNew + "\\Program\\A.SRC"), kNewSrc);
  EXPECT_EQ(drive.Read(kNew + "\\Program\\A.DAT"), kNewDat);
  EXPECT_EQ(drive.Read(kNew + "\\Program\\BAD.SRC"), kBroken);
  EXPECT_EQ(drive.Read(kNew + "\\Program\\Cell.SUB"), kSub);
  EXPECT_EQ(drive.Read(kOld + "\\Program\\A.SRC"), kOldSrc) << "the old tree stays as it was";

  const std::string srcSaved = kRoot + "\\Template\\Vorgabe.src";
  const std::string datSaved = kRoot + "\\Template\\Vorgabe.dat";
  Lines expected{
      ". - - - START CONVERTING USER FILES - - -",
      ".1.src file found to upgrade: Program\\A.SRC",
      ".2.src file found to upgrade: Program\\BAD.SRC",
      ".1.dat file found to upgrade: Program\\A.DAT",
      ".1.sub file found to upgrade: Program\\Cell.SUB",
      ".UserFiles (SRC) found to upgrade: 2",
      ".1.SRC-File to upgrade :Program\\A.SRC",
      ".2.SRC-File to upgrade :Program\\BAD.SRC",
      ".UserFiles (DAT) found to upgrade: 1",
      ".1.DAT-File to upgrade:Program\\A.DAT",
      ".UserFiles (SUB) found to upgrade: 1",
      ".1.SUB-File to upgrade:Program\\Cell.SUB",
      ".Parse the File:Program\\A.SRC",
      ".ParseUserFile: Program\\A.SRC no failure found !",
      ".UpgradeUserFile " + kOld + "\\Program\\A.SRC",
      ".Copy file from SourceDir  to DestinationDir",
      ".Creating : " + kNew + "\\Program",
      ".Program\\A.SRC copied from " + kOld + "\\Program\\A.SRC to " + kNew + "\\Program\\A.SRC",
      ". +++ Start: Save the Folds in: " + srcSaved + "(Controlfile: Vorgabe_Src_of.upg)",
      ". +++ End: Save the Folds in: " + srcSaved + " (Controlfile: Vorgabe_Src_of.upg)",
      ". +++ Start: Exchange the Folds in Dest.file: " + kNew +
          "\\Program\\A.SRC (Controlfile: Vorgabe_Src_nf.upg)",
      ". +++ End: Exchange the Folds in Dest.file: " + kNew +
          "\\Program\\A.SRC (Controlfile: Vorgabe_Src_nf.upg)",
      ".Parse the File:Program\\BAD.SRC",
      "# ERROR: there are 1 ;FOLD statements, but 0 ;ENDFOLD statements in the file",
      "# ERROR: missing ';ENDFOLD' statement for the ';FOLD' statment in line 2",
      "#ParseUserFile: Program\\BAD.SRC hat 2 Fehler",
  };
  Append(expected, Upgraded("Program\\A.DAT"));
  Append(expected,
         {". +++ Start: Save the Folds in" + datSaved + "(Controlfile: Vorgabe_Dat_of.upg)",
          ". +++ End: Save the Folds in " + datSaved + "(Controlfile: Vorgabe_Dat_of.upg)",
          ". +++ Start: Exchange the Folds in Dest.file: " + kNew +
              "\\Program\\A.DAT(Controlfile: Vorgabe_Dat_nf.upg)",
          ". +++ End: Exchange the Folds in Dest.file: " + kNew +
              "\\Program\\A.DAT(Controlfile: Vorgabe_Dat_nf.upg)"});
  Append(expected, Upgraded("Program\\Cell.SUB"));
  Append(expected, {". No upgrade .SUB- File:, Program\\Cell.SUB",
                    ". - - - END CONVERTING USER FILES - - -"});
  Lines log = testenv::ReadLogLines(drive.Host(kRoot + "\\LOG\\Vantrel.log"));
  EXPECT_EQ(Between(log, expected.front(), expected.back()), expected);
  EXPECT_EQ(std::count_if(log.begin(), log.end(),
                          [](const std::string& line) { return line.rfind('#', 0) == 0; }),
            3);
}

}  // namespace
