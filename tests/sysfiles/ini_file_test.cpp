#include "sysfiles/ini_file.h"

#include <gtest/gtest.h>

#include "support/test_env.h"

namespace {

using testenv::MemoryRun;
using testenv::ScratchDrive;
using Lines = std::vector<std::string>;

const std::string kFolder = "C:\\PROG\\";
const std::string kSysStart = ".Start reading files (Systemfiles-upgradet separately)";
const std::string kSysEnd = ".End reading files (Systemfiles-upgradet separately)";
const std::string kNotStart = ".Start reading files (not upgradet and not copied)";
const std::string kNotEnd = ".End reading files (not upgradet and not copied)";
const std::string kCopyStart = ".Start reading files (only copied from Source to Destination)";
const std::string kCopyEnd = ".End reading files (only copied from Source to Destination)";
const std::string kSys = " :will be upgradet separately";
const std::string kNot = " :will not be upgradet and not copied into Dest.File";
const std::string kCopy = " :will be only copied into Dest.File";

Lines Items(const KeyedList& list) {
  Lines items;
  for (std::size_t i = 1; i <= list.Count(); ++i) items.push_back(list.Item(i));
  return items;
}

struct IniRun : MemoryRun {
  ScratchDrive drive;
  explicit IniRun(const std::string& text) {
    drive.Write(kFolder + "vantrel.ini", text);
    ReadNegativeList(context, kFolder);
  }
  Lines systemFiles() const { return Items(context.SystemFilesList); }
  Lines notToConvert() const { return Items(context.FileNotToConvertList); }
  Lines toCopy() const { return Items(context.FileToCopyList); }
};

// The log of a whole read, given the lines of each pass.
Lines Log(const Lines& sys, const Lines& notConverted, const Lines& copied) {
  Lines log = {".Open the File C:\\PROG\\vantrel.ini",
               ". +++ Start analysing INI-file : C:\\PROG\\vantrel.ini", kSysStart};
  log.insert(log.end(), sys.begin(), sys.end());
  log.push_back(kSysEnd);
  log.push_back(kNotStart);
  log.insert(log.end(), notConverted.begin(), notConverted.end());
  log.push_back(kNotEnd);
  log.push_back(kCopyStart);
  log.insert(log.end(), copied.begin(), copied.end());
  log.push_back(kCopyEnd);
  log.push_back(". +++ End analysing INI-file: C:\\PROG\\vantrel.ini");
  return log;
}

TEST(ReadNegativeList, ThreeSectionsInAnyOrder) {
  IniRun run(
      "[START_FILETOCOPY]\r\n"
      "STEU\\MADA\\X.DAT\r\n"
      "Program\\copy.src\r\n"
      "[END_FILETOCOPY]\r\n"
      "[START_SYSTEMFILES]\r\n"
      "System\\$CONFIG.DAT\r\n"
      "  System\\SPS.SUB  \r\n"
      "[END_SYSTEMFILES]\r\n"
      "[START_FILENOTTOCONVERT]\r\n"
      "Program\\keep.src\r\n"
      "[END_FILENOTTOCONVERT]\r\n");
  EXPECT_EQ(run.systemFiles(), (Lines{"$CONFIG.DAT", "SPS.SUB"}));
  EXPECT_EQ(run.notToConvert(), Lines{"keep.src"});
  EXPECT_EQ(run.toCopy(), (Lines{"STEU\\MADA\\X.DAT", "Program\\copy.src"}));
  EXPECT_EQ(run.lines(), Log({".  $CONFIG.DAT" + kSys, ".  SPS.SUB" + kSys},
                             {".  keep.src" + kNot},
                             {".  STEU\\MADA\\X.DAT" + kCopy, ".  Program\\copy.src" + kCopy}));
  EXPECT_EQ(run.context.IniFileName, "vantrel.ini");
}

TEST(ReadNegativeList, BareMarkerOpensAndIsAnEntryItself) {
  IniRun run("START_SYSTEMFILES\r\nA.DAT\r\n[END_SYSTEMFILES]\r\n");
  EXPECT_EQ(run.systemFiles(), (Lines{"START_SYSTEMFILES", "A.DAT"}));
}

TEST(ReadNegativeList, MarkerInAnyCaseWithTextAround) {
  IniRun run("; [start_systemfiles] of this site\r\nA.DAT\r\nxx end_SystemFiles yy;\r\nB.DAT\r\n");
  EXPECT_EQ(run.systemFiles(), Lines{"A.DAT"});
}

TEST(ReadNegativeList, CommentsAndBracketsAnywhereMakeNoEntry) {
  IniRun run(
      "[START_FILETOCOPY]\r\n"
      "A.DAT ; remark\r\n"
      "[B.DAT\r\n"
      "C.DAT]\r\n"
      ";old\\X.DAT\r\n"
      "\r\n"
      "   \r\n"
      "D.DAT\r\n"
      "[END_FILETOCOPY]\r\n");
  EXPECT_EQ(run.toCopy(), Lines{"D.DAT"});
}

TEST(ReadNegativeList, CutAtTheBackslashComesBeforeTheCommentTest) {
  const std::string body = ";old\\X.DAT\r\nSub\\Deep\\Y.DAT\r\nFolder\\\r\n";
  IniRun run("[START_SYSTEMFILES]\r\n" + body + "[END_SYSTEMFILES]\r\n" +
             "[START_FILENOTTOCONVERT]\r\n" + body + "[END_FILENOTTOCONVERT]\r\n" +
             "[START_FILETOCOPY]\r\n" + body + "[END_FILETOCOPY]\r\n");
  EXPECT_EQ(run.systemFiles(), (Lines{"X.DAT", "Y.DAT", ""}));
  EXPECT_EQ(run.notToConvert(), (Lines{"X.DAT", "Y.DAT", ""}));
  EXPECT_EQ(run.toCopy(), (Lines{"Sub\\Deep\\Y.DAT", "Folder\\"}));
  EXPECT_EQ(run.lines(),
            Log({".  X.DAT" + kSys, ".  Y.DAT" + kSys, ".  " + kSys},
                {".  X.DAT" + kNot, ".  Y.DAT" + kNot, ".  " + kNot},
                {".  Sub\\Deep\\Y.DAT" + kCopy, ".  Folder\\" + kCopy}));
}

// The cut stops when one character is left: a lone backslash stays.
TEST(ReadNegativeList, CutLeavesALoneBackslash) {
  IniRun run("[START_SYSTEMFILES]\r\n\\\r\nA\\\\\r\n  B\\ C.DAT\r\n[END_SYSTEMFILES]\r\n");
  EXPECT_EQ(run.systemFiles(), (Lines{"\\", "C.DAT"}));
  EXPECT_EQ(run.lines(), Log({".  \\" + kSys, ".  \\" + kSys, ".  C.DAT" + kSys}, {}, {}));
}

TEST(ReadNegativeList, DuplicateKeptOnceButLoggedTwice) {
  IniRun run("[START_SYSTEMFILES]\r\n$CONFIG.DAT\r\nSystem\\$config.dat\r\n[END_SYSTEMFILES]\r\n");
  EXPECT_EQ(run.systemFiles(), Lines{"$CONFIG.DAT"});
  EXPECT_EQ(run.lines(), Log({".  $CONFIG.DAT" + kSys, ".  $config.dat" + kSys}, {}, {}));
}

TEST(ReadNegativeList, OnlyTheFirstBlockBetweenItsMarkersIsRead) {
  IniRun run(
      "before.dat\r\n"
      "[START_FILETOCOPY]\r\n"
      "first.dat\r\n"
      "[END_FILETOCOPY]\r\n"
      "after.dat\r\n"
      "[START_FILETOCOPY]\r\n"
      "second.dat\r\n"
      "[END_FILETOCOPY]\r\n");
  EXPECT_EQ(run.toCopy(), Lines{"first.dat"});
}

TEST(ReadNegativeList, ClosingMarkerBeforeOpeningEndsThePass) {
  IniRun run("[END_SYSTEMFILES]\r\n[START_SYSTEMFILES]\r\nA.DAT\r\n[END_SYSTEMFILES]\r\n");
  EXPECT_EQ(run.systemFiles(), Lines{});
  EXPECT_EQ(run.lines(), Log({}, {}, {}));
}

TEST(ReadNegativeList, MissingClosingMarkerKeepsTheEntriesUpToTheEnd) {
  IniRun run(
      "[START_FILENOTTOCONVERT]\r\nA.DAT\r\n"
      "[START_SYSTEMFILES]\r\nB.DAT\r\n[END_SYSTEMFILES]\r\n");
  EXPECT_EQ(run.systemFiles(), Lines{"B.DAT"});
  EXPECT_EQ(run.notToConvert(), (Lines{"A.DAT", "B.DAT"}));
  EXPECT_EQ(run.lines(),
            Log({".  B.DAT" + kSys},
                {".  A.DAT" + kNot, ".  B.DAT" + kNot,
                 "# No line with END_FILENOTTOCONVERT in C:\\PROG\\vantrel.ini: the section ends "
                 "at the end of the file"},
                {}));
}

TEST(ReadNegativeList, LoneLineFeedsAndMissingLastLineEnd) {
  IniRun run("[START_FILETOCOPY]\nA.DAT\r\nB.DAT\n[END_FILETOCOPY]\nx\r\n[START_SYSTEMFILES]\nC.DAT");
  EXPECT_EQ(run.toCopy(), (Lines{"A.DAT", "B.DAT"}));
  EXPECT_EQ(run.systemFiles(), Lines{"C.DAT"});
}

TEST(ReadNegativeList, EightBitTextIsKeptAsItIs) {
  IniRun run("[START_FILETOCOPY]\r\nProgram\\M\xFC" "ller.src\r\n[END_FILETOCOPY]\r\n");
  EXPECT_EQ(run.toCopy(), Lines{"Program\\M\xFC" "ller.src"});
}

TEST(ReadNegativeList, LongFileIsReadWhole) {
  std::string text = "[START_FILETOCOPY]\r\n";
  Lines expected;
  for (int i = 0; i < 5000; ++i) {
    expected.push_back("Program\\file" + std::to_string(i) + ".dat");
    text += expected.back() + "\r\n";
  }
  IniRun run(text + "[END_FILETOCOPY]\r\n");
  EXPECT_EQ(run.toCopy(), expected);
}

TEST(ReadNegativeList, MissingFileLeavesTheListsEmpty) {
  ScratchDrive drive;
  MemoryRun run;
  run.context.SystemFilesList.Add("OLD.DAT");
  run.context.FileToCopyList.Add("old.dat");
  ReadNegativeList(run.context, kFolder);
  EXPECT_EQ(run.lines(), Lines{"# INI-file not found:C:\\PROG\\vantrel.ini"});
  EXPECT_EQ(run.context.SystemFilesList.Count(), 0u);
  EXPECT_EQ(run.context.FileToCopyList.Count(), 0u);
}

TEST(ReadNegativeList, FolderInPlaceOfTheFileIsAnError) {
  ScratchDrive drive;
  drive.MakeFolder(kFolder + "vantrel.ini");
  MemoryRun run;
  ReadNegativeList(run.context, kFolder);
  EXPECT_EQ(run.lines(), Lines{"# Can not open ini-File: C:\\PROG\\vantrel.ini : Is a directory"});
}

}  // namespace
