// What every implementation of platform.h promises, whatever the operating
// system below it: the rest of the system relies on nothing more.

#include "platform/platform.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "support/test_env.h"

namespace fs = std::filesystem;

namespace {

using testenv::ScratchDrive;
using Names = std::vector<std::string>;

Names EntryNames(const std::string& folder) {
  std::vector<platform::DirEntry> entries;
  EXPECT_TRUE(platform::ListFolder(folder, entries).ok) << folder;
  Names names;
  for (const platform::DirEntry& entry : entries) names.push_back(entry.name);
  return names;
}

TEST(PlatformContract, ExistenceCoversFilesFoldersHiddenAndSystemEntries) {
  ScratchDrive drive;
  drive.Write("C:\\D\\plain.txt", "x");
  drive.Write("C:\\D\\hidden.txt", "x");
  drive.Write("C:\\D\\system.txt", "x");
  drive.MakeFolder("C:\\D\\Hidden Folder");
  ASSERT_TRUE(platform::SetAttributes("C:\\D\\hidden.txt", platform::kHidden).ok);
  ASSERT_TRUE(platform::SetAttributes("C:\\D\\system.txt", platform::kSystem).ok);
  ASSERT_TRUE(
      platform::SetAttributes("C:\\D\\Hidden Folder", platform::kHidden | platform::kSystem).ok);
  for (const char* file : {"C:\\D\\plain.txt", "C:\\D\\hidden.txt", "C:\\D\\SYSTEM.TXT"}) {
    EXPECT_TRUE(platform::Exists(file)) << file;
    EXPECT_TRUE(platform::FileExists(file)) << file;
    EXPECT_FALSE(platform::FolderExists(file)) << file;
  }
  for (const char* folder : {"C:\\D", "C:\\d\\hidden folder"}) {
    EXPECT_TRUE(platform::Exists(folder)) << folder;
    EXPECT_TRUE(platform::FolderExists(folder)) << folder;
    EXPECT_FALSE(platform::FileExists(folder)) << folder;
  }
  EXPECT_FALSE(platform::Exists("C:\\D\\missing.txt"));
  EXPECT_FALSE(platform::FileExists("C:\\D\\missing.txt"));
  EXPECT_FALSE(platform::FolderExists("C:\\Missing"));
}

TEST(PlatformContract, ListingIsOrderedByUpperCasedNamesWithAllEntries) {
  ScratchDrive drive;
  drive.Write("C:\\T\\b.txt", "");
  drive.Write("C:\\T\\A.txt", "");
  drive.Write("C:\\T\\_x", "");
  drive.Write("C:\\T\\a1", "");
  drive.Write("C:\\T\\h.sys", "");
  drive.MakeFolder("C:\\T\\c");
  ASSERT_TRUE(platform::SetAttributes("C:\\T\\h.sys", platform::kHidden | platform::kSystem).ok);
  EXPECT_EQ(EntryNames("C:\\t"), (Names{"A.txt", "a1", "b.txt", "c", "h.sys", "_x"}));
  std::vector<platform::DirEntry> entries;
  ASSERT_TRUE(platform::ListFolder("C:\\T", entries).ok);
  EXPECT_EQ(testenv::Comparable(entries[3].attributes), testenv::Comparable(platform::kFolder));
  EXPECT_EQ(testenv::Comparable(entries[4].attributes),
            testenv::Comparable(platform::kHidden | platform::kSystem));
  ASSERT_TRUE(platform::ListFolder("C:\\T", entries, platform::ListDetail::kKinds).ok);
  ASSERT_EQ(entries.size(), 6u);
  EXPECT_EQ(entries[3].attributes & platform::kFolder, platform::kFolder);
  EXPECT_EQ(entries[2].attributes & platform::kFolder, 0);
  EXPECT_FALSE(platform::ListFolder("C:\\Missing", entries).ok);
}

TEST(PlatformContract, FindFilesSkipsHiddenSystemAndFolders) {
  ScratchDrive drive;
  drive.Write("C:\\V\\a.add", "");
  drive.Write("C:\\V\\B.ADD", "");
  drive.Write("C:\\V\\h.add", "");
  drive.Write("C:\\V\\s.add", "");
  drive.Write("C:\\V\\x.addx", "");
  drive.MakeFolder("C:\\V\\d.add");
  platform::SetAttributes("C:\\V\\h.add", platform::kHidden);
  platform::SetAttributes("C:\\V\\s.add", platform::kSystem);
  Names names;
  ASSERT_TRUE(platform::FindFiles("C:\\V", "add", names).ok);
  EXPECT_EQ(names, (Names{"a.add", "B.ADD"}));
}

TEST(PlatformContract, AttributesRoundTripOnFilesAndFolders) {
  ScratchDrive drive;
  drive.Write("C:\\F.TXT", "x");
  drive.MakeFolder("C:\\D");
  for (int attributes : {0, 1, 2, 4, 32, 1 | 2 | 4 | 32, 2 | 32}) {
    ASSERT_TRUE(platform::SetAttributes("C:\\F.TXT", attributes).ok);
    EXPECT_EQ(testenv::Comparable(testenv::GetAttributes("C:\\f.txt")),
              testenv::Comparable(attributes));
    ASSERT_TRUE(platform::SetAttributes("C:\\D", attributes | platform::kFolder).ok);
    EXPECT_EQ(testenv::Comparable(testenv::GetAttributes("C:\\D")),
              testenv::Comparable(attributes | platform::kFolder));
  }
  int attributes = 0;
  EXPECT_FALSE(platform::GetAttributes("C:\\MISSING", attributes).ok);
  EXPECT_FALSE(platform::SetAttributes("C:\\MISSING", 0).ok);
}

TEST(PlatformContract, CopyReplacesAReadOnlyHiddenTargetWithTheSourcesBytesAndAttributes) {
  ScratchDrive drive;
  const std::string bytes("new\r\n\xff\x00z\n", 9);
  drive.Write("C:\\S.TXT", bytes);
  drive.Write("C:\\T.TXT", "old");
  platform::SetAttributes("C:\\T.TXT", platform::kReadOnly | platform::kHidden);
  platform::SetAttributes("C:\\S.TXT", platform::kSystem);
  ASSERT_TRUE(platform::CopyFileAtomic("C:\\S.TXT", "C:\\T.TXT").ok);
  EXPECT_EQ(drive.Read("C:\\T.TXT"), bytes);
  EXPECT_EQ(testenv::Comparable(testenv::GetAttributes("C:\\T.TXT")),
            testenv::Comparable(platform::kSystem));
  EXPECT_EQ(testenv::Comparable(testenv::GetAttributes("C:\\S.TXT")),
            testenv::Comparable(platform::kSystem));
}

TEST(PlatformContract, FailedCopyLeavesTheOldTargetAndNoTemporaryFile) {
  ScratchDrive drive;
  drive.MakeFolder("C:\\SRC");
  drive.Write("C:\\T.TXT", "old");
  platform::Status status = platform::CopyFileAtomic("C:\\SRC", "C:\\T.TXT");
  EXPECT_FALSE(status.ok);
  EXPECT_FALSE(status.reason.empty());
  EXPECT_EQ(drive.Read("C:\\T.TXT"), "old");
  drive.Write("C:\\S.TXT", "new");
  drive.MakeFolder("C:\\TD");
  EXPECT_FALSE(platform::CopyFileAtomic("C:\\S.TXT", "C:\\TD").ok);
  EXPECT_FALSE(platform::CopyFileAtomic("C:\\MISSING.TXT", "C:\\T.TXT").ok);
  EXPECT_EQ(drive.Read("C:\\T.TXT"), "old");
  EXPECT_EQ(EntryNames("C:\\"), (Names{"S.TXT", "SRC", "T.TXT", "TD"}));
}

TEST(PlatformContract, WriteReplacesAReadOnlyHiddenTargetWhichKeepsItsAttributes) {
  ScratchDrive drive;
  drive.Write("C:\\F.DAT", "old content, longer than the new");
  const int kept = platform::kReadOnly | platform::kHidden | platform::kSystem;
  platform::SetAttributes("C:\\F.DAT", kept);
  ASSERT_TRUE(platform::WriteFileAtomic("C:\\F.DAT", "a\rb\r\n").ok);
  std::string bytes;
  ASSERT_TRUE(platform::ReadFileBytes("C:\\f.dat", bytes).ok);
  EXPECT_EQ(bytes, "a\rb\r\n");
  EXPECT_EQ(testenv::Comparable(testenv::GetAttributes("C:\\F.DAT")), testenv::Comparable(kept));
  ASSERT_TRUE(platform::WriteFileAtomic("C:\\NEW.DAT", "n").ok);
  EXPECT_EQ(testenv::Comparable(testenv::GetAttributes("C:\\NEW.DAT")),
            testenv::Comparable(testenv::kWrittenFile));
  EXPECT_EQ(EntryNames("C:\\"), (Names{"F.DAT", "NEW.DAT"}));
  EXPECT_FALSE(platform::ReadFileBytes("C:\\NONE.DAT", bytes).ok);
}

TEST(PlatformContract, FilesAreReadPieceByPiece) {
  ScratchDrive drive;
  drive.Write("C:\\BIG.DAT", std::string(10000, 'x') + "end");
  platform::InputFile file;
  ASSERT_TRUE(file.Open("C:\\big.dat").ok);
  std::string read;
  char buffer[4096];
  std::size_t got = 0;
  do {
    ASSERT_TRUE(file.Read(buffer, sizeof buffer, got).ok);
    read.append(buffer, got);
  } while (got > 0);
  EXPECT_EQ(read, std::string(10000, 'x') + "end");
  platform::InputFile missing;
  EXPECT_FALSE(missing.Open("C:\\NONE.DAT").ok);
}

TEST(PlatformContract, StaleTemporaryFilesOfEndedWritersAreRemoved) {
  ScratchDrive drive;
  std::string own = ".vantrel-tmp-" + std::to_string(platform::CurrentProcessId()) + "-0";
  drive.Write("C:\\D\\.vantrel-tmp-4194303-0", "left by a killed writer");
  drive.Write("C:\\D\\" + own, "still being written");
  drive.Write("C:\\D\\A.SRC", "customer's");
  platform::RemoveStaleTempFiles("C:\\D");
  EXPECT_FALSE(drive.Exists("C:\\D\\.vantrel-tmp-4194303-0"));
  EXPECT_TRUE(drive.Exists("C:\\D\\" + own));
  EXPECT_TRUE(drive.Exists("C:\\D\\A.SRC"));
}

TEST(PlatformContract, SameOrNestedIgnoresCase) {
  ScratchDrive drive;
  drive.MakeFolder("C:\\OLD\\R1\\NEW");
  drive.MakeFolder("C:\\OTHER");
  EXPECT_TRUE(platform::SameOrNested("C:\\OLD\\R1", "C:\\old\\r1\\"));
  EXPECT_TRUE(platform::SameOrNested("C:\\OLD\\R1", "C:\\OLD\\R1\\NEW"));
  EXPECT_TRUE(platform::SameOrNested("C:\\OLD\\R1\\NEW", "C:\\OLD\\R1"));
  EXPECT_FALSE(platform::SameOrNested("C:\\OLD\\R1", "C:\\OTHER"));
  EXPECT_FALSE(platform::SameOrNested("C:\\OLD\\R1", "C:\\OLD\\R1X"));
  EXPECT_FALSE(platform::SameOrNested("C:\\OLD\\R1", "C:\\MISSING"));
}

// The stand-in exchange program records its argument text, so that what
// arrives can be compared with what was sent.
TEST(PlatformContract, RunAndWaitGivesTheExitCodeAndTheArgumentTextIntact) {
  ScratchDrive drive;
  testenv::InstallFakeFoldex(drive, "C:\\P R");
  testenv::SetFoldexBehaviour(drive, "C:\\P R", "exit 7");
  const std::string arguments = "C:\\A B\\x.src | \"C:\\Q R\\y.upg\" /TXT  'z'";
  platform::RunResult result = platform::RunAndWait("C:\\P R\\Foldex.exe", arguments);
  EXPECT_TRUE(result.started);
  EXPECT_EQ(result.exitCode, 7);
  EXPECT_EQ(testenv::RecordedFoldexCalls(drive, "C:\\P R"), Names{arguments});

  result = platform::RunAndWait("C:\\P R\\missing.exe", "x");
  EXPECT_FALSE(result.started);
  EXPECT_FALSE(result.reason.empty());
}

TEST(PlatformContract, RunAndCaptureGathersTheOutputAndTheExitCode) {
  std::string output = "stale";
  platform::RunResult result = platform::RunAndCapture(
      testenv::BuiltProgramFolder() + "/Foldex.exe", "no bars here", output);
  EXPECT_TRUE(result.started);
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(output.rfind("Foldex: bad command line: no bars here (", 0), 0u) << output;
}

TEST(PlatformContract, EnvironmentValuesAreSetAndRemoved) {
  ASSERT_TRUE(platform::SetEnvironmentValue("VANTREL_CONTRACT_TEST", "a b").ok);
  const char* value = std::getenv("VANTREL_CONTRACT_TEST");
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(std::string(value), "a b");
  ASSERT_TRUE(platform::RemoveEnvironmentValue("VANTREL_CONTRACT_TEST").ok);
  EXPECT_EQ(std::getenv("VANTREL_CONTRACT_TEST"), nullptr);
}

TEST(PlatformContract, AnOutputWrittenInPiecesReplacesTheTargetOnlyOnCommit) {
  ScratchDrive drive;
  drive.Write("C:\\Big.src", "old");
  platform::SetAttributes("C:\\Big.src", platform::kHidden);
  std::string expected;
  {
    platform::AtomicOutput output;
    ASSERT_TRUE(output.Open("C:\\BIG.SRC").ok);
    // Small pieces gathered and a piece larger than what is gathered.
    for (int i = 0; i < 50000; ++i) {
      std::string piece = "line " + std::to_string(i) + "\r\n";
      ASSERT_TRUE(output.Write(piece.data(), piece.size()).ok);
      expected += piece;
    }
    std::string large(1 << 20, '\xff');
    ASSERT_TRUE(output.Write(large.data(), large.size()).ok);
    expected += large;
    EXPECT_EQ(drive.Read("C:\\Big.src"), "old");
    ASSERT_TRUE(output.Commit().ok);
  }
  EXPECT_EQ(drive.Read("C:\\Big.src"), expected);
  int attributes = 0;
  platform::GetAttributes("C:\\Big.src", attributes);
  EXPECT_EQ(testenv::Comparable(attributes), testenv::Comparable(platform::kHidden));
  {
    platform::AtomicOutput dropped;
    ASSERT_TRUE(dropped.Open("C:\\Big.src").ok);
    ASSERT_TRUE(dropped.Write("new", 3).ok);
  }
  EXPECT_EQ(drive.Read("C:\\Big.src"), expected);
  EXPECT_EQ(std::distance(fs::directory_iterator(drive.root()), fs::directory_iterator()), 1);
  platform::AtomicOutput nowhere;
  EXPECT_FALSE(nowhere.Open("C:\\Missing\\X.src").ok);
  EXPECT_FALSE(nowhere.Write("x", 1).ok);
  EXPECT_FALSE(nowhere.Commit().ok);
}

}  // namespace

namespace {

TEST(PlatformContract, AFileKeepsItsStateUntilReplacedAndCanBeProbedForWriting) {
  ScratchDrive drive;
  drive.Write("C:\\D\\a.txt", "abc");
  platform::FileIdentity first, second, replaced;
  ASSERT_TRUE(platform::GetFileIdentity("C:\\D\\a.txt", first).ok);
  ASSERT_TRUE(platform::GetFileIdentity("C:\\D\\A.TXT", second).ok);
  EXPECT_TRUE(platform::SameFileState(first, second));
  EXPECT_NE(first.changed, 0);
  // The same size, put in place by a rename: another file.
  ASSERT_TRUE(platform::WriteFileAtomic("C:\\D\\a.txt", "xyz").ok);
  ASSERT_TRUE(platform::GetFileIdentity("C:\\D\\a.txt", replaced).ok);
  EXPECT_FALSE(platform::SameFileState(first, replaced));
  EXPECT_TRUE(platform::ProbeWritable("C:\\D\\a.txt").ok);
  EXPECT_EQ(drive.Read("C:\\D\\a.txt"), "xyz");
  const platform::Status missing = platform::ProbeWritable("C:\\D\\gone.txt");
  EXPECT_FALSE(missing.ok);
  EXPECT_FALSE(missing.reason.empty());
  EXPECT_FALSE(drive.Exists("C:\\D\\gone.txt"));
}

}  // namespace
