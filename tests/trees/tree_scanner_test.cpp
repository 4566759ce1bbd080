#include "trees/tree_scanner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

#include "platform/platform.h"
#include "support/test_env.h"

namespace fs = std::filesystem;

namespace {

using testenv::MemoryRun;
using testenv::ScratchDrive;
using Lines = std::vector<std::string>;

template <typename Scanner>
Lines ReadAll(Scanner& scanner) {
  Lines found;
  for (std::string entry = scanner.getNextFile(); !entry.empty(); entry = scanner.getNextFile())
    found.push_back(entry);
  return found;
}

Lines Scan(const std::string& start, const std::string& filter = "", bool noMada = false,
           bool noTP = false) {
  MemoryRun run;
  TreeTool tool(run.context);
  if (noMada) tool.noMada();
  if (noTP) tool.noTP();
  if (!filter.empty()) tool.setExtensionFilter(filter);
  tool.scanTree(start);
  tool.rewindFileList();
  EXPECT_EQ(run.lines(), Lines{});
  return ReadAll(tool);
}

void LayOutInstallation(const ScratchDrive& drive) {
  drive.Write("C:\\R1\\b.src", "");
  drive.Write("C:\\R1\\A.DAT", "");
  drive.Write("C:\\R1\\Program\\P1.SRC", "");
  drive.Write("C:\\R1\\Program\\Sub\\Deep.src", "");
  drive.Write("C:\\R1\\Program\\Mada\\inner.dat", "");
  drive.Write("C:\\R1\\Mada\\$machine.dat", "");
  drive.Write("C:\\R1\\TP\\tp.src", "");
  drive.Write("C:\\R1\\System\\SPS.SUB", "");
}

TEST(TreeTool, ListsBreadthFirstWithRelativePaths) {
  ScratchDrive drive;
  LayOutInstallation(drive);
  EXPECT_EQ(Scan("C:\\R1"), (Lines{"A.DAT", "b.src", "Mada\\$machine.dat", "Program\\P1.SRC",
                                   "System\\SPS.SUB", "TP\\tp.src", "Program\\Mada\\inner.dat",
                                   "Program\\Sub\\Deep.src"}));
}

TEST(TreeTool, TrailingBackslashGivesTheSameRelativePaths) {
  ScratchDrive drive;
  LayOutInstallation(drive);
  EXPECT_EQ(Scan("C:\\R1\\"), Scan("C:\\R1"));
}

TEST(TreeTool, MadaAndTPAreLeftOutAtTheTopOnly) {
  ScratchDrive drive;
  LayOutInstallation(drive);
  drive.Write("C:\\R1\\Program\\TP\\keep.src", "");
  EXPECT_EQ(Scan("C:\\R1", "", true, true),
            (Lines{"A.DAT", "b.src", "Program\\P1.SRC", "System\\SPS.SUB",
                   "Program\\Mada\\inner.dat", "Program\\Sub\\Deep.src", "Program\\TP\\keep.src"}));
  EXPECT_EQ(Scan("C:\\R1", "", true, false),
            (Lines{"A.DAT", "b.src", "Program\\P1.SRC", "System\\SPS.SUB", "TP\\tp.src",
                   "Program\\Mada\\inner.dat", "Program\\Sub\\Deep.src", "Program\\TP\\keep.src"}));
  EXPECT_EQ(Scan("C:\\R1", "", false, true),
            (Lines{"A.DAT", "b.src", "Mada\\$machine.dat", "Program\\P1.SRC", "System\\SPS.SUB",
                   "Program\\Mada\\inner.dat", "Program\\Sub\\Deep.src", "Program\\TP\\keep.src"}));
}

TEST(TreeTool, MadaIsLeftOutInAnyCase) {
  ScratchDrive drive;
  drive.Write("C:\\R1\\MADA\\x.dat", "");
  drive.Write("C:\\R2\\mada\\x.dat", "");
  drive.Write("C:\\R2\\tp\\x.dat", "");
  EXPECT_EQ(Scan("C:\\R1", "", true), Lines{});
  EXPECT_EQ(Scan("C:\\R2", "", true, true), Lines{});
}

TEST(TreeTool, FilterComparesTheEndOfTheNameOnly) {
  ScratchDrive drive;
  for (const char* name : {"a.src", "B.SRC", ".SRC", "a.src1", "SRC", "XSRC", "src.dat"})
    drive.Write(std::string("C:\\T\\") + name, "");
  EXPECT_EQ(Scan("C:\\T", ".SRC"), (Lines{".SRC", "a.src", "B.SRC"}));
  EXPECT_EQ(Scan("C:\\T", "SRC"), (Lines{".SRC", "a.src", "B.SRC", "SRC", "XSRC"}));
}

TEST(TreeTool, FilterDoesNotApplyToFolders) {
  ScratchDrive drive;
  drive.Write("C:\\T\\Folder.src\\inner.dat", "");
  drive.Write("C:\\T\\Folder.src\\inner.src", "");
  EXPECT_EQ(Scan("C:\\T", ".src"), Lines{"Folder.src\\inner.src"});
}

TEST(TreeTool, HiddenAndSystemEntriesAreListed) {
  ScratchDrive drive;
  drive.Write("C:\\T\\H\\hidden.src", "");
  drive.Write("C:\\T\\sys.src", "");
  ASSERT_TRUE(platform::SetAttributes("C:\\T\\H", platform::kHidden).ok);
  ASSERT_TRUE(platform::SetAttributes("C:\\T\\H\\hidden.src", platform::kHidden).ok);
  ASSERT_TRUE(platform::SetAttributes("C:\\T\\sys.src", platform::kSystem).ok);
  EXPECT_EQ(Scan("C:\\T"), (Lines{"sys.src", "H\\hidden.src"}));
}

TEST(TreeTool, EmptyOrMissingStartGivesNothingAndRaisesTheEvent) {
  ScratchDrive drive;
  drive.MakeFolder("C:\\Empty\\Sub");
  drive.Write("C:\\File.txt", "");
  EXPECT_EQ(Scan("C:\\Empty"), Lines{});
  for (const char* start : {"C:\\Missing", "C:\\File.txt"}) {
    MemoryRun run;
    TreeTool tool(run.context);
    Lines raised;
    tool.InvalidPathname = [&](const std::string& path) { raised.push_back(path); };
    tool.scanTree(start);
    tool.rewindFileList();
    EXPECT_EQ(tool.getNextFile(), "");
    EXPECT_EQ(raised, Lines{start});
    EXPECT_EQ(run.lines(), Lines{});
  }
}

TEST(TreeTool, ReadsPastTheEndAsEmptyUntilRewound) {
  ScratchDrive drive;
  drive.Write("C:\\T\\a", "");
  drive.Write("C:\\T\\b", "");
  MemoryRun run;
  TreeTool tool(run.context);
  tool.scanTree("C:\\T");
  tool.rewindFileList();
  EXPECT_EQ(ReadAll(tool), (Lines{"a", "b"}));
  EXPECT_EQ(tool.getNextFile(), "");
  EXPECT_EQ(tool.getNextFile(), "");
  tool.rewindFileList();
  EXPECT_EQ(tool.getNextFile(), "a");
}

TEST(TreeTool, SecondScanAppends) {
  ScratchDrive drive;
  drive.Write("C:\\T\\a", "");
  drive.Write("C:\\U\\b", "");
  MemoryRun run;
  TreeTool tool(run.context);
  tool.scanTree("C:\\T");
  tool.scanTree("C:\\U");
  tool.rewindFileList();
  EXPECT_EQ(ReadAll(tool), (Lines{"a", "b"}));
}

// The read position counts every read: two reads past the end pass over
// the first two entries that a later scan appends.
TEST(TreeTool, ReadsPastTheEndCountForAppendedEntries) {
  ScratchDrive drive;
  drive.Write("C:\\T\\a", "");
  drive.Write("C:\\U\\b", "");
  drive.Write("C:\\U\\c", "");
  drive.Write("C:\\U\\d", "");
  MemoryRun run;
  TreeTool tool(run.context);
  tool.scanTree("C:\\T");
  tool.rewindFileList();
  EXPECT_EQ(tool.getNextFile(), "a");
  EXPECT_EQ(tool.getNextFile(), "");
  EXPECT_EQ(tool.getNextFile(), "");
  tool.scanTree("C:\\U");
  EXPECT_EQ(tool.getNextFile(), "d");
  EXPECT_EQ(tool.getNextFile(), "");
}

#ifndef _WIN32
// Links, permission bits and the host's name limits: what only POSIX has.

TEST(TreeTool, LinkedFoldersAreNeverEntered) {
  ScratchDrive drive;
  drive.Write("C:\\Outside\\secret.src", "");
  drive.Write("C:\\T\\a.src", "");
  fs::create_directory_symlink(drive.Host("C:\\Outside"), drive.Host("C:\\T\\Link"));
  fs::create_directory_symlink(drive.Host("C:\\T"), drive.Host("C:\\T\\Loop"));
  EXPECT_EQ(Scan("C:\\T"), Lines{"a.src"});
}

TEST(TreeTool, UnreadableFolderIsLoggedAndTheWalkGoesOn) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads a folder without permission bits";
  ScratchDrive drive;
  drive.Write("C:\\T\\A\\a.src", "");
  drive.Write("C:\\T\\B\\b.src", "");
  fs::permissions(drive.Host("C:\\T\\A"), fs::perms::none);
  MemoryRun run;
  TreeTool tool(run.context);
  tool.scanTree("C:\\T");
  tool.rewindFileList();
  EXPECT_EQ(ReadAll(tool), Lines{"B\\b.src"});
  EXPECT_EQ(run.lines(), Lines{"# Can not read folder: C:\\T\\A : Permission denied"});
}

std::string FileNamePartOf(const std::string& path) {
  return path.substr(path.rfind('\\') + 1);
}

// An entry whose full name is longer than the host accepts is listed by
// its folder but cannot be examined: it stands for one that vanished.
TEST(TreeTool, EntryThatCannotBeExaminedIsLoggedAndTheWalkGoesOn) {
  ScratchDrive drive;
  // Folders down to a host path of 4000 characters: short enough for
  // ok.src, too short for the 255-character name beside it.
  std::string folder = "C:\\T";
  for (std::size_t size = drive.Host(folder).size(); size < 4000;) {
    std::size_t part = std::min<std::size_t>(250, 4000 - size - 1);
    folder += "\\" + std::string(part, 'n');
    size += part + 1;
  }
  drive.Write(folder + "\\ok.src", "");
  const std::string longName(255, 'x');
  int dir = open(drive.Host(folder).c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(dir, 0);
  int file = openat(dir, longName.c_str(), O_CREAT | O_WRONLY, 0644);
  ASSERT_GE(file, 0);
  close(file);
  MemoryRun run;
  TreeTool tool(run.context);
  tool.scanTree("C:\\T");
  tool.rewindFileList();
  Lines found = ReadAll(tool);
  unlinkat(dir, longName.c_str(), 0);
  close(dir);
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(FileNamePartOf(found[0]), "ok.src");
  EXPECT_EQ(run.lines(),
            Lines{"# Can not read entry: " + folder + "\\" + longName + " : File name too long"});
}
#endif

TEST(TreeCopy, ListsFoldersBeforeTheirEntriesAndLeavesNothingOut) {
  ScratchDrive drive;
  LayOutInstallation(drive);
  drive.MakeFolder("C:\\R1\\Empty");
  MemoryRun run;
  TreeCopy scanner(run.context);
  scanner.scanTree("C:\\R1");
  scanner.rewindFileList();
  EXPECT_EQ(ReadAll(scanner),
            (Lines{"A.DAT", "b.src", "Empty", "Mada", "Program", "System", "TP",
                   "Mada\\$machine.dat", "Program\\Mada", "Program\\P1.SRC", "Program\\Sub",
                   "System\\SPS.SUB", "TP\\tp.src", "Program\\Mada\\inner.dat",
                   "Program\\Sub\\Deep.src"}));
  EXPECT_EQ(run.lines(), Lines{});
}

TEST(TreeCopy, TreeOfEmptyFoldersListsTheFoldersOnly) {
  ScratchDrive drive;
  drive.MakeFolder("C:\\T\\A\\B");
  drive.MakeFolder("C:\\T\\C");
  MemoryRun run;
  TreeCopy scanner(run.context);
  scanner.setExtensionFilter(".src");
  scanner.scanTree("C:\\T\\");
  scanner.rewindFileList();
  EXPECT_EQ(ReadAll(scanner), (Lines{"A", "C", "A\\B"}));
}

TEST(TreeCopy, MissingStartRaisesTheEventWithoutEndingTheRun) {
  ScratchDrive drive;
  MemoryRun run;
  TreeCopy scanner(run.context);
  Lines raised;
  scanner.InvalidPathname = [&](const std::string& path) { raised.push_back(path); };
  scanner.scanTree("C:\\Missing");
  EXPECT_EQ(raised, Lines{"C:\\Missing"});
  EXPECT_EQ(scanner.getNextFile(), "");
}

TEST(TreeCopy, FileAsStartRaisesTheEventAndLeavesTheRunToItsCaller) {
  ScratchDrive drive;
  drive.Write("C:\\F.txt", "");
  drive.Write("C:\\PROG\\Vantrel\\x.add", "");
  MemoryRun run;
  run.context.BatchMode = true;
  run.log.counter = 1;
  run.context.UpgFolder = "C:\\PROG\\Vantrel\\";
  TreeCopy scanner(run.context);
  Lines raised;
  scanner.InvalidPathname = [&](const std::string& path) { raised.push_back(path); };
  scanner.scanTree("C:\\F.txt");
  EXPECT_EQ(raised, Lines{"C:\\F.txt"});
  EXPECT_EQ(scanner.getNextFile(), "");
  EXPECT_TRUE(drive.Exists("C:\\PROG\\Vantrel\\x.add"));
  EXPECT_EQ(run.lines(), Lines{});
}

TEST(TreeTool, WalksALargeAndDeepTree) {
  ScratchDrive drive;
  // 40 folders of 500 files each, plus a chain of folders as deep as the
  // platform's paths go (the ANSI functions of Windows take at most 260
  // characters). Its speed is measured by the benchmark.
#ifdef _WIN32
  const int depth = 40;
#else
  const int depth = 200;
#endif
  fs::path root = drive.Host("C:\\Big");
  for (int folder = 0; folder < 40; ++folder) {
    fs::path dir = root / ("F" + std::to_string(folder));
    fs::create_directories(dir);
    for (int file = 0; file < 500; ++file)
      std::ofstream(dir / ("f" + std::to_string(file) + (file % 2 ? ".src" : ".dat")));
  }
  fs::path deep = root;
  for (int level = 0; level < depth; ++level) deep /= "d";
  fs::create_directories(deep);
  std::ofstream(deep / "bottom.src");
  MemoryRun run;
  TreeTool tool(run.context);
  tool.setExtensionFilter(".src");
  tool.scanTree("C:\\Big");
  tool.rewindFileList();
  std::size_t count = ReadAll(tool).size();
  EXPECT_EQ(count, 10001u);
}

}  // namespace

namespace {

// Windows keeps one name per folder whatever its case: twins cannot exist.
#ifndef _WIN32
TEST(TreeTool, CaseTwinsAreLeftOutAndReportedOncePerRun) {
  testenv::ScratchDrive drive;
  drive.Write("C:\\T\\P\\twin.src", "small");
  drive.Write("C:\\T\\P\\TWIN.SRC", "big");
  testenv::MemoryRun run;
  for (int scan = 0; scan < 3; ++scan) {
    TreeTool tool(run.context);
    tool.setExtensionFilter("src");
    tool.scanTree("C:\\T");
    tool.rewindFileList();
    EXPECT_EQ(tool.getNextFile(), "P\\TWIN.SRC");
    EXPECT_EQ(tool.getNextFile(), "");
  }
  EXPECT_EQ(run.lines(), std::vector<std::string>{"# C:\\T\\P\\twin.src : name differs from "
                                                  "C:\\T\\P\\TWIN.SRC only in case, left out"});
}
#endif

}  // namespace
