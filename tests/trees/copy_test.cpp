#include "trees/copy.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/platform.h"
#include "support/test_env.h"

namespace fs = std::filesystem;

namespace {

using testenv::MemoryRun;
using testenv::ScratchDrive;
using Lines = std::vector<std::string>;

const std::string kSource = "C:\\OLD\\QVD\\R1";
const std::string kDest = "C:\\NEW\\QVD\\R1";

struct CopyRun : MemoryRun {
  CopyRun() {
    context.Arg.Source = kSource;
    context.Arg.Dest = kDest;
  }
};

TEST(CopyTreeFile, CreatesTheMissingFoldersAndCopies) {
  ScratchDrive drive;
  drive.Write(kSource + "\\Program\\Sub\\A.SRC", "bytes\r\n");
  drive.MakeFolder(kDest);
  CopyRun run;
  CopyTreeFile(run.context, "Program\\Sub\\A.SRC");
  EXPECT_EQ(run.lines(),
            (Lines{".Creating : " + kDest + "\\Program", ".Creating : " + kDest + "\\Program\\Sub",
                   ".Program\\Sub\\A.SRC copied from " + kSource + "\\Program\\Sub\\A.SRC to " +
                       kDest + "\\Program\\Sub\\A.SRC"}));
  EXPECT_EQ(drive.Read(kDest + "\\Program\\Sub\\A.SRC"), "bytes\r\n");
}

TEST(CopyTreeFile, ReadOnlyHiddenSystemDestinationIsOverwritten) {
  ScratchDrive drive;
  drive.Write(kSource + "\\A.DAT", "new");
  drive.Write(kDest + "\\A.DAT", "old");
  ASSERT_TRUE(platform::SetAttributes(kDest + "\\A.DAT", platform::kReadOnly | platform::kHidden |
                                                            platform::kSystem).ok);
  CopyRun run;
  CopyTreeFile(run.context, "A.DAT");
  EXPECT_EQ(run.lines(), Lines{".A.DAT copied from " + kSource + "\\A.DAT to " + kDest + "\\A.DAT"});
  EXPECT_EQ(drive.Read(kDest + "\\A.DAT"), "new");
}

TEST(CopyTreeFile, MissingSourceWarnsAndLeavesTheDestinationAlone) {
  ScratchDrive drive;
  drive.MakeFolder(kSource);
  drive.Write(kDest + "\\A.DAT", "old");
  CopyRun run;
  CopyTreeFile(run.context, "A.DAT");
  CopyTreeFile(run.context, "New\\B.DAT");
  EXPECT_EQ(run.lines(), (Lines{"! A.DAT SourceFile does not exist!",
                                "! New\\B.DAT SourceFile does not exist!"}));
  EXPECT_EQ(drive.Read(kDest + "\\A.DAT"), "old");
  EXPECT_FALSE(drive.Exists(kDest + "\\New"));
}

TEST(CopyTreeFile, FileInTheWayOfTheTargetFolderIsAnError) {
  ScratchDrive drive;
  drive.Write(kSource + "\\Program\\A.SRC", "new");
  drive.Write(kDest + "\\Program", "a file");
  CopyRun run;
  CopyTreeFile(run.context, "Program\\A.SRC");
  EXPECT_EQ(run.lines(), Lines{"# " + kDest + "\\Program : Target directory does not exist!"});
  EXPECT_EQ(drive.Read(kDest + "\\Program"), "a file");
}

TEST(CopyTreeFile, FolderAtTheDestinationStaysAndTheFailureIsNamed) {
  ScratchDrive drive;
  drive.Write(kSource + "\\A.DAT", "new");
  drive.Write(kDest + "\\A.DAT\\inside.txt", "kept");
  CopyRun run;
  CopyTreeFile(run.context, "A.DAT");
  EXPECT_EQ(run.lines(), Lines{"# Can not copy " + kSource + "\\A.DAT to " + kDest +
                               "\\A.DAT : Is a directory"});
  EXPECT_EQ(drive.Read(kDest + "\\A.DAT\\inside.txt"), "kept");
}

TEST(CopyTreeFile, FolderAsSourceLeavesTheOldFileIntact) {
  ScratchDrive drive;
  drive.MakeFolder(kSource + "\\A.DAT");
  drive.Write(kDest + "\\A.DAT", "old");
  ASSERT_TRUE(platform::SetAttributes(kDest + "\\A.DAT", platform::kReadOnly).ok);
  CopyRun run;
  CopyTreeFile(run.context, "A.DAT");
  EXPECT_EQ(run.lines(), Lines{"# Can not copy " + kSource + "\\A.DAT to " + kDest +
                               "\\A.DAT : Is a directory"});
  EXPECT_EQ(drive.Read(kDest + "\\A.DAT"), "old");
  // The old file keeps its attributes too.
  int attributes = 0;
  ASSERT_TRUE(platform::GetAttributes(kDest + "\\A.DAT", attributes).ok);
  EXPECT_EQ(testenv::Comparable(attributes), testenv::Comparable(platform::kReadOnly));
  // No temporary file is left behind.
  EXPECT_EQ(std::distance(fs::directory_iterator(drive.Host(kDest)), fs::directory_iterator()), 1);
}

TEST(CopyTreeFile, PathsThatLeaveTheTreeAreNotCopied) {
  ScratchDrive drive;
  drive.Write("C:\\OLD\\QVD\\secret.txt", "secret");
  drive.Write(kSource + "\\x.txt", "x");
  CopyRun run;
  const Lines entries = {"..\\secret.txt", "Program\\..\\..\\secret.txt", "\\OLD\\x.txt",
                         "/OLD/x.txt",     "C:\\OLD\\QVD\\R1\\x.txt",    "D:x.txt",
                         "Program/../../secret.txt"};
  Lines expected;
  for (const std::string& entry : entries) {
    CopyTreeFile(run.context, entry);
    expected.push_back("# " + entry + " : path leaves the installation tree, not copied");
  }
  CopyParentTreeFile(run.context, "STEU\\..\\..\\secret.txt");
  expected.push_back("# STEU\\..\\..\\secret.txt : path leaves the installation tree, not copied");
  EXPECT_EQ(run.lines(), expected);
  EXPECT_FALSE(drive.Exists("C:\\NEW"));
}

TEST(CopyTreeFile, NamesWithDotsThatStayInsideAreCopied) {
  ScratchDrive drive;
#ifdef _WIN32
  const std::string name = "..a\\b..c\\c.txt";  // Windows drops a name's trailing dots
#else
  const std::string name = "..a\\b..\\c.txt";
#endif
  drive.Write(kSource + "\\" + name, "x");
  CopyRun run;
  CopyTreeFile(run.context, name);
  EXPECT_EQ(drive.Read(kDest + "\\" + name), "x");
}

TEST(CopyParentTreeFile, WorksBesideTheR1Folders) {
  ScratchDrive drive;
  drive.Write("C:\\OLD\\QVD\\STEU\\Mada\\X.DAT", "steu");
  drive.Write(kSource + "\\STEU\\Mada\\X.DAT", "wrong one");
  drive.MakeFolder("C:\\NEW\\QVD");
  CopyRun run;
  CopyParentTreeFile(run.context, "STEU\\Mada\\X.DAT");
  EXPECT_EQ(run.lines(),
            (Lines{".Creating : C:\\NEW\\QVD\\STEU", ".Creating : C:\\NEW\\QVD\\STEU\\Mada",
                   ".STEU\\Mada\\X.DAT copied from C:\\OLD\\QVD\\STEU\\Mada\\X.DAT to "
                   "C:\\NEW\\QVD\\STEU\\Mada\\X.DAT"}));
  EXPECT_EQ(drive.Read("C:\\NEW\\QVD\\STEU\\Mada\\X.DAT"), "steu");
  EXPECT_FALSE(drive.Exists(kDest + "\\STEU"));
}

TEST(CopyParentTreeFile, CutsThreeCharactersWhateverTheyAre) {
  ScratchDrive drive;
  drive.Write("C:\\OLD\\Q\\STEU\\X.DAT", "x");
  CopyRun run;
  run.context.Arg.Source = "C:\\OLD\\QABC";
  run.context.Arg.Dest = "C:\\NEW\\QXYZ";
  CopyParentTreeFile(run.context, "STEU\\X.DAT");
  EXPECT_EQ(drive.Read("C:\\NEW\\Q\\STEU\\X.DAT"), "x");
}

TEST(CopyParentTreeFile, RootsTooShortToCutAreRefused) {
  ScratchDrive drive;
  CopyRun run;
  run.context.Arg.Source = "C:\\";
  run.context.Arg.Dest = "R1";
  CopyParentTreeFile(run.context, "STEU\\X.DAT");
  EXPECT_EQ(run.lines(),
            Lines{"# STEU\\X.DAT : no folder above the installation paths, not copied"});
}

}  // namespace
