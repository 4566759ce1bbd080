#include "trees/path_ops.h"

#include <gtest/gtest.h>

#include "platform/paths.h"
#include "platform/platform.h"
#include "support/test_env.h"

namespace {

using testenv::MemoryRun;
using testenv::ScratchDrive;
using Lines = std::vector<std::string>;

TEST(PathOps, LastBackslashFileNameAndParent) {
  EXPECT_EQ(LastBackslashPos("C:\\A\\B"), 5);
  EXPECT_EQ(LastBackslashPos("ABC"), 0);
  EXPECT_EQ(LastBackslashPos("\\"), 1);
  EXPECT_EQ(FileNamePart("C:\\A\\B.SRC"), "B.SRC");
  EXPECT_EQ(ParentFolder("C:\\A\\B.SRC"), "C:\\A");
  EXPECT_EQ(FileNamePart("ABC"), "ABC");
  EXPECT_EQ(ParentFolder("ABC"), "ABC");
  EXPECT_EQ(FileNamePart("C:\\A\\"), "");
  EXPECT_EQ(ParentFolder("C:\\A\\"), "C:\\A");
  // Only the backslash separates here.
  EXPECT_EQ(FileNamePart("C:\\A/B"), "A/B");
}

TEST(PathOps, SplitFirstPathPart) {
  std::string s = "C:\\A\\B";
  EXPECT_EQ(SplitFirstPathPart(s), "C:\\");
  EXPECT_EQ(s, "A\\B");
  std::string host = "\\tmp\\x";
  EXPECT_EQ(SplitFirstPathPart(host), "\\");
  EXPECT_EQ(host, "tmp\\x");
  std::string plain = "ABC";
  EXPECT_EQ(SplitFirstPathPart(plain), "ABC");
  EXPECT_EQ(plain, "ABC");
}

TEST(MakePath, CreatesTheMissingFoldersTopDownEachWithItsLine) {
  ScratchDrive drive;
  drive.MakeFolder("C:\\QVD");
  MemoryRun run;
  MakePath(run.context, "C:\\QVD\\NEW\\Program");
  EXPECT_EQ(run.lines(), (Lines{".Creating : C:\\QVD\\NEW", ".Creating : C:\\QVD\\NEW\\Program"}));
  EXPECT_TRUE(platform::FolderExists("C:\\QVD\\NEW\\Program"));
}

TEST(MakePath, ExistingFoldersWriteNothing) {
  ScratchDrive drive;
  drive.MakeFolder("C:\\X\\Y");
  MemoryRun run;
  MakePath(run.context, "C:\\x\\y");
  EXPECT_EQ(run.lines(), Lines{});
}

TEST(MakePath, TrailingBackslashAddsNothing) {
  ScratchDrive drive;
  drive.MakeFolder("C:\\X");
  MemoryRun run;
  MakePath(run.context, "C:\\X\\Y\\");
  EXPECT_EQ(run.lines(), Lines{".Creating : C:\\X\\Y"});
  EXPECT_TRUE(platform::FolderExists("C:\\X\\Y"));
}

TEST(MakePath, DotComponentIsPassedOver) {
  ScratchDrive drive;
  MemoryRun run;
  MakePath(run.context, "C:\\A\\.\\B");
  EXPECT_EQ(run.lines(), (Lines{".Creating : C:\\A", ".Creating : C:\\A\\.\\B"}));
  EXPECT_TRUE(drive.Exists("C:\\A\\B"));
}

TEST(MakePath, HostAbsolutePathWithoutDrive) {
  ScratchDrive drive;
  std::string root = platform::ToBackslashes(drive.root());
  MemoryRun run;
  MakePath(run.context, root + "\\x\\y");
  EXPECT_EQ(run.lines(), (Lines{".Creating : " + root + "\\x", ".Creating : " + root + "\\x\\y"}));
  EXPECT_TRUE(drive.Exists("C:\\x\\y"));
}

TEST(MakePath, FolderThatCannotBeMadeGivesOneErrorLine) {
  ScratchDrive drive;
  drive.Write("C:\\X\\file", "data");
  MemoryRun run;
  MakePath(run.context, "C:\\X\\file\\A\\B");
  EXPECT_EQ(run.lines(), (Lines{".Creating : C:\\X\\file\\A",
                                "# Can not create folder: C:\\X\\file\\A : Not a directory"}));
  EXPECT_EQ(drive.Read("C:\\X\\file"), "data");
}

TEST(MakePath, PathWithoutBackslashIsRefused) {
  ScratchDrive drive;
  MemoryRun run;
  MakePath(run.context, "NEW");
  EXPECT_EQ(run.lines(), Lines{"# Can not create path: NEW : not an absolute path"});
  EXPECT_FALSE(drive.Exists("C:\\NEW"));
}

}  // namespace
