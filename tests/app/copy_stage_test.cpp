// Whole batch runs in-process: the folder checks, the reading of
// vantrel.ini, the copy stage and the attribute transfer, as the log shows
// them.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "app/dry_run.h"
#include "app/run.h"
#include "core/context.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "support/test_env.h"

namespace {

using testenv::BatchRun;
using testenv::ScratchDrive;
using Lines = std::vector<std::string>;

const std::string kOld = "C:\\QVD_OLDINST\\QVD\\R1";
const std::string kNew = "C:\\QVD\\ROBOTER\\QVD\\R1";
const std::string kRoot = "C:\\QVD\\ROBOTER";
const std::string kSeparator(50, '.');
const std::string kStarted = ".Vantrel started at: ";

Lines Head() {
  return {".Used LUMO.DLL: " + platform::ToBackslashes(testenv::BuiltProgramFolder()),
          kStarted + "<date>, <time>",
          ".vantrel - Version: 1.0.0",
          ".Act Path: C:\\PROG\\Vantrel",
          "." + std::string(77, '-'),
          ".Source-Path: " + kOld,
          ".Dest.-Path: " + kNew,
          ".Temp.-Path: " + kRoot};
}

// The negative-list stage around the lines of vantrel.ini's three passes.
Lines NegativeListStage(const Lines& passes) {
  Lines lines = {kSeparator, ". - - - START READING THE NEGATIVE LIST - - -",
                 ".Open the File C:\\PROG\\vantrel.ini",
                 ". +++ Start analysing INI-file : C:\\PROG\\vantrel.ini"};
  lines.insert(lines.end(), passes.begin(), passes.end());
  lines.insert(lines.end(), {". +++ End analysing INI-file: C:\\PROG\\vantrel.ini",
                             ". - - - END READING THE NEGATIVE LIST - - -", kSeparator});
  return lines;
}

const std::string kCopySuffix = " :will be only copied into Dest.File";

class CopyStage : public ::testing::Test {
 protected:
  void SetUp() override {
    testenv::LayEmptyInstallations(drive);
    drive.Write(kRoot + "\\Template\\Vorgabe.src", "DEF Vorgabe()\r\nEND\r\n");
    drive.Write(kRoot + "\\Template\\Vorgabe.dat", "DEFDAT Vorgabe\r\nENDDAT\r\n");
  }

  void WriteIni(const std::string& text) { drive.Write("C:\\PROG\\vantrel.ini", text); }

  void Set(const std::string& path, int attributes) { testenv::SetAttributes(path, attributes); }
  int Get(const std::string& path) { return testenv::Comparable(testenv::GetAttributes(path)); }

  // The log with the header's date and time masked.
  Lines Log() const {
    Lines log = testenv::ReadLogLines(drive.Host(kRoot + "\\LOG\\Vantrel.log"));
    for (std::string& line : log)
      if (line.rfind(kStarted, 0) == 0) line = kStarted + "<date>, <time>";
    return log;
  }
  // The log from the line first on.
  Lines From(const std::string& first) const {
    Lines log = Log();
    auto at = std::find(log.begin(), log.end(), first);
    return Lines(at, log.end());
  }
  // The log up to and including the line last.
  Lines UpTo(const std::string& last) const {
    Lines log = Log();
    auto at = std::find(log.begin(), log.end(), last);
    return Lines(log.begin(), at == log.end() ? at : at + 1);
  }

  // For failure messages.
  std::string Dump() const {
    std::string text;
    for (const std::string& line : Log()) text += line + "\n";
    return text;
  }

  // A batch run with the given selection, started as the program starts one.
  int RunWithBoxes(int systemFiles, int userFiles) {
    Context& context = run.context;
    context.CommandLine = kOld + "|" + kNew;
    context.BatchMode = true;
    context.StdForm.Load();
    context.UI.Form_Load();
    context.UI.CONFIG_DAT = context.UI.SPS_SUB = context.UI.IR_STOPM_SRC = systemFiles;
    context.UI.Userfiles = userFiles;
    try {
      RunUpgrade(context);
    } catch (const ProcessEnd& end) {
      return end.exitCode;
    }
    return 0;
  }

  ScratchDrive drive;
  BatchRun run{"C:\\PROG"};
};

TEST_F(CopyStage, ListedFilesAreCopiedAndAttributesFollowTheSource) {
  WriteIni(
      "; vantrel.ini of this cell\r\n"
      "[START_SYSTEMFILES]\r\n"
      "[END_SYSTEMFILES]\r\n"
      "[START_FILENOTTOCONVERT]\r\n"
      "Program\\keep.src\r\n"
      "[END_FILENOTTOCONVERT]\r\n"
      "[START_FILETOCOPY]\r\n"
      "Config\\Cell.ini\r\n"
      "Program\\copy.src\r\n"
      "STEU\\Mada\\X.DAT\r\n"
      "[END_FILETOCOPY]\r\n");
  drive.Write(kOld + "\\Program\\copy.src", "copied\r\n");
  drive.Write(kOld + "\\Program\\keep.src", "kept\r\n");
  drive.Write(kOld + "\\Config\\Cell.ini", "new\r\n");
  drive.Write("C:\\QVD_OLDINST\\QVD\\STEU\\Mada\\X.DAT", "steu\r\n");
  drive.Write(kNew + "\\Config\\Cell.ini", "old\r\n");
  Set(kNew + "\\Config\\Cell.ini", platform::kReadOnly);
  Set(kOld + "\\Config\\Cell.ini", platform::kHidden | platform::kArchive);
  Set(kOld + "\\Program", platform::kHidden);
  Set(kOld + "\\Config", platform::kSystem);

  EXPECT_EQ(run.Run(kOld + "|" + kNew), 0) << Dump();

  Lines head = Head();
  Lines stage = NegativeListStage({
      ".Start reading files (Systemfiles-upgradet separately)",
      ".End reading files (Systemfiles-upgradet separately)",
      ".Start reading files (not upgradet and not copied)",
      ".  keep.src :will not be upgradet and not copied into Dest.File",
      ".End reading files (not upgradet and not copied)",
      ".Start reading files (only copied from Source to Destination)",
      ".  Config\\Cell.ini" + kCopySuffix,
      ".  Program\\copy.src" + kCopySuffix,
      ".  STEU\\Mada\\X.DAT" + kCopySuffix,
      ".End reading files (only copied from Source to Destination)",
  });
  head.insert(head.end(), stage.begin(), stage.end());
  EXPECT_EQ(UpTo(". - - - END READING THE NEGATIVE LIST - - -"), Lines(head.begin(), head.end() - 1));

  EXPECT_EQ(From(". - - - START COPYING FILES - - -"),
            (Lines{". - - - START COPYING FILES - - -",
                   ".Config\\Cell.ini copied from " + kOld + "\\Config\\Cell.ini to " + kNew +
                       "\\Config\\Cell.ini",
                   ".Creating : " + kNew + "\\Program",
                   ".Program\\copy.src copied from " + kOld + "\\Program\\copy.src to " + kNew +
                       "\\Program\\copy.src",
                   ".Creating : C:\\QVD\\ROBOTER\\QVD\\STEU",
                   ".Creating : C:\\QVD\\ROBOTER\\QVD\\STEU\\Mada",
                   ".STEU\\Mada\\X.DAT copied from C:\\QVD_OLDINST\\QVD\\STEU\\Mada\\X.DAT to "
                   "C:\\QVD\\ROBOTER\\QVD\\STEU\\Mada\\X.DAT",
                   ". - - - END COPYING FILES - - -", kSeparator,
                   ".Transferring File/Folder Attributes"}));

  EXPECT_EQ(drive.Read(kNew + "\\Config\\Cell.ini"), "new\r\n");
  EXPECT_EQ(drive.Read(kNew + "\\Program\\copy.src"), "copied\r\n");
  EXPECT_EQ(drive.Read("C:\\QVD\\ROBOTER\\QVD\\STEU\\Mada\\X.DAT"), "steu\r\n");
  EXPECT_FALSE(drive.Exists(kNew + "\\Program\\keep.src"));
  EXPECT_EQ(Get(kNew + "\\Config\\Cell.ini"), testenv::Comparable(platform::kHidden | platform::kArchive));
  EXPECT_EQ(Get(kNew + "\\Program"), testenv::Comparable(platform::kFolder | platform::kHidden));
  EXPECT_EQ(Get(kNew + "\\Config"), testenv::Comparable(platform::kFolder | platform::kSystem));
}

TEST_F(CopyStage, FaultyEntriesAreReportedAndTheOthersStillCopied) {
  // The closing marker is missing: the section runs to the end of the file.
  WriteIni(
      "[START_FILETOCOPY]\r\n"
      "Missing.txt\r\n"
      "..\\..\\outside.txt\r\n"
      "Config\r\n"
      "Busy.dat\r\n"
      "steu\\y.dat\r\n"
      "Program\\STEU\\z.dat\r\n");
  drive.Write("C:\\QVD_OLDINST\\outside.txt", "secret");
  drive.Write(kOld + "\\Config\\Cell.ini", "");
  drive.Write(kOld + "\\Busy.dat", "new");
  drive.Write(kNew + "\\Busy.dat\\inside.txt", "in the way");
  drive.Write("C:\\QVD_OLDINST\\QVD\\steu\\y.dat", "y");
  drive.Write(kOld + "\\Program\\STEU\\z.dat", "z");
  drive.MakeFolder(kNew + "\\Program");

  EXPECT_EQ(run.Run(kOld + "|" + kNew), 1) << Dump();

  Lines log = Log();
  EXPECT_NE(std::find(log.begin(), log.end(),
                      "# No line with END_FILETOCOPY in C:\\PROG\\vantrel.ini: the section ends "
                      "at the end of the file"),
            log.end());
  EXPECT_EQ(From(". - - - START COPYING FILES - - -"),
            (Lines{". - - - START COPYING FILES - - -",
                   "! Missing.txt SourceFile does not exist!",
                   "# ..\\..\\outside.txt : path leaves the installation tree, not copied",
                   "# Can not copy " + kOld + "\\Config to " + kNew + "\\Config : Is a directory",
                   "# Can not copy " + kOld + "\\Busy.dat to " + kNew +
                       "\\Busy.dat : Is a directory",
                   ".Creating : C:\\QVD\\ROBOTER\\QVD\\steu",
                   ".steu\\y.dat copied from C:\\QVD_OLDINST\\QVD\\steu\\y.dat to "
                   "C:\\QVD\\ROBOTER\\QVD\\steu\\y.dat",
                   ".Creating : " + kNew + "\\Program\\STEU",
                   ".Program\\STEU\\z.dat copied from " + kOld + "\\Program\\STEU\\z.dat to " +
                       kNew + "\\Program\\STEU\\z.dat",
                   ". - - - END COPYING FILES - - -", kSeparator,
                   ".Transferring File/Folder Attributes"}));
  EXPECT_FALSE(drive.Exists("C:\\QVD\\outside.txt"));
  EXPECT_FALSE(drive.Exists("C:\\QVD\\ROBOTER\\outside.txt"));
  EXPECT_EQ(drive.Read(kNew + "\\Busy.dat\\inside.txt"), "in the way");
}

// The tree walk leaves out names the controller cannot hold (a DEL among
// them); the copy list holds its entries to the same rule, in the plan
// and in the run alike.
TEST_F(CopyStage, AListedNameTheControllerCannotHoldIsNeitherPlannedNorCopied) {
  const std::string del(1, '\x7f');
  const std::string file = "Del" + del + ".dat";
  const std::string folder = "Fol" + del + "der\\y.dat";
  WriteIni("[START_FILETOCOPY]\r\n" + file + "\r\n" + folder +
           "\r\nplain.dat\r\n[END_FILETOCOPY]\r\n");
  drive.Write(kOld + "\\" + file, "d");
  drive.Write(kOld + "\\" + folder, "f");
  drive.Write(kOld + "\\plain.dat", "p");

  BatchRun dry("C:\\PROG");
  dry.context.CommandLine = kOld + "|" + kNew;
  std::string plan;
  RunDry(dry.context, PlanFormat::kText, plan);
  const std::vector<RunRecord::Verdict>& planned = dry.context.Record.listedFiles;
  ASSERT_EQ(planned.size(), 3u);
  EXPECT_FALSE(planned[0].done);
  EXPECT_FALSE(planned[1].done);
  EXPECT_TRUE(planned[2].done);

  // The walk of the source has left both out, with an error each.
  EXPECT_EQ(run.Run(kOld + "|" + kNew), 1) << Dump();
  const std::vector<RunRecord::Verdict>& done = run.context.Record.listedFiles;
  ASSERT_EQ(done.size(), 3u);
  for (std::size_t i = 0; i < done.size(); ++i) EXPECT_EQ(done[i].done, planned[i].done) << i;
  EXPECT_EQ(run.context.Record.warnings, dry.context.Record.warnings);
  EXPECT_EQ(run.context.Record.errors, dry.context.Record.errors);
  EXPECT_EQ(From(". - - - START COPYING FILES - - -"),
            (Lines{". - - - START COPYING FILES - - -",
                   "! Del<7F>.dat : name not allowed on the controller, not copied",
                   "! Fol<7F>der\\y.dat : name not allowed on the controller, not copied",
                   ".plain.dat copied from " + kOld + "\\plain.dat to " + kNew + "\\plain.dat",
                   ". - - - END COPYING FILES - - -", kSeparator,
                   ".Transferring File/Folder Attributes"}));
  EXPECT_FALSE(drive.Exists(kNew + "\\" + file));
  EXPECT_FALSE(drive.Exists(kNew + "\\Fol" + del + "der"));
}

TEST_F(CopyStage, WithoutUserFilesNothingIsCopiedButAttributesAreTransferred) {
  WriteIni("[START_FILETOCOPY]\r\nConfig\\Cell.ini\r\n[END_FILETOCOPY]\r\n");
  drive.Write(kOld + "\\Config\\Cell.ini", "new");
  drive.Write(kNew + "\\Config\\Cell.ini", "old");
  Set(kOld + "\\Config\\Cell.ini", platform::kHidden);

  EXPECT_EQ(RunWithBoxes(0, 0), 0) << Dump();

  EXPECT_EQ(From(". - - - END CONVERTING SYSTEMFILES - - -"),
            (Lines{". - - - END CONVERTING SYSTEMFILES - - -", kSeparator,
                   ".Transferring File/Folder Attributes"}));
  EXPECT_EQ(drive.Read(kNew + "\\Config\\Cell.ini"), "old");
  EXPECT_EQ(Get(kNew + "\\Config\\Cell.ini"), testenv::Comparable(platform::kHidden));
  EXPECT_EQ(run.context.FileToCopyList.Count(), 1u);
}

TEST_F(CopyStage, EmptyListLogsTheStageOnly) {
  WriteIni("[START_FILETOCOPY]\r\n[END_FILETOCOPY]\r\n");
  EXPECT_EQ(RunWithBoxes(0, 1), 0) << Dump();
  EXPECT_EQ(From(". - - - START COPYING FILES - - -"),
            (Lines{". - - - START COPYING FILES - - -", ". - - - END COPYING FILES - - -",
                   kSeparator, ".Transferring File/Folder Attributes"}));
}

TEST_F(CopyStage, BarMovesByTheStepAfterEachEntry) {
  for (int entries : {3, 1500}) {
    std::string ini = "[START_FILETOCOPY]\r\n";
    for (int i = 0; i < entries; ++i) ini += "Missing" + std::to_string(i) + ".dat\r\n";
    WriteIni(ini + "[END_FILETOCOPY]\r\n");
    std::vector<double> bar;
    run.context.StdForm.OnRepaint = [&](const ProgressWindow& window) {
      if (window.Visible && window.Information == "Copy Other FILES") bar.push_back(window.Value);
    };
    EXPECT_EQ(RunWithBoxes(0, 1), 0) << Dump();
    std::vector<double> expected = {1000};
    if (entries == 3) expected.insert(expected.end(), {334, 667, 1000});
    else expected.insert(expected.end(), 1500, 1);
    EXPECT_EQ(bar, expected) << entries;
    EXPECT_EQ(run.context.StdForm.Value, 1000);
  }
}

TEST_F(CopyStage, MissingDestinationSystemFolderEndsTheRunBeforeTheIniIsRead) {
  std::filesystem::remove(drive.Host(kNew + "\\System"));
  EXPECT_EQ(run.Run(kOld + "|" + kNew), 1) << Dump();
  Lines expected = Head();
  expected.push_back("# Can not find path: " + kNew + "\\System");
  EXPECT_EQ(Log(), expected);
}

TEST_F(CopyStage, EmptyIniFileGivesThreeEmptyPassesAndAnError) {
  WriteIni("");
  EXPECT_EQ(RunWithBoxes(0, 0), 1) << Dump();
  Lines expected = NegativeListStage({
      ".Start reading files (Systemfiles-upgradet separately)",
      ".End reading files (Systemfiles-upgradet separately)",
      ".Start reading files (not upgradet and not copied)",
      ".End reading files (not upgradet and not copied)",
      ".Start reading files (only copied from Source to Destination)",
      ".End reading files (only copied from Source to Destination)",
      "# No section found in ini-File: C:\\PROG\\vantrel.ini",
  });
  Lines log = From(". - - - START READING THE NEGATIVE LIST - - -");
  log.resize(std::min(log.size(), expected.size() - 1));
  EXPECT_EQ(log, Lines(expected.begin() + 1, expected.end()));
}

}  // namespace
