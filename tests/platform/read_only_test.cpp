// A read-only scope: nothing changes, and later questions see the changes.

#include "platform/read_only.h"

#include <gtest/gtest.h>

#include "support/test_env.h"
#include "support/tree_snapshot.h"

namespace {

using testenv::ScratchDrive;
using Lines = std::vector<std::string>;

TEST(ReadOnlyScope, ChangesNothingAndAnswersAsIfItHad) {
  ScratchDrive drive;
  drive.Write("C:\\A\\src.txt", "bytes");
  drive.Write("C:\\A\\old.txt", "old");
  testenv::TreeSnapshot before = testenv::Snapshot(drive.root());
  {
    platform::ReadOnlyScope scope;
    EXPECT_TRUE(platform::ReadOnly());
    EXPECT_TRUE(platform::CreateFolder("C:\\A\\New").ok);
    EXPECT_TRUE(platform::FolderExists("C:\\a\\new\\"));
    EXPECT_TRUE(platform::CopyFileAtomic("C:\\A\\src.txt", "C:\\A\\New\\copy.txt").ok);
    EXPECT_TRUE(platform::FileExists("C:\\A\\NEW\\COPY.TXT"));
    EXPECT_TRUE(platform::WriteFileAtomic("C:\\A\\w.txt", "x").ok);
    EXPECT_TRUE(platform::RemoveFile("C:\\A\\old.txt").ok);
    EXPECT_FALSE(platform::Exists("C:\\A\\old.txt"));
    EXPECT_TRUE(platform::SetAttributes("C:\\A\\src.txt", platform::kHidden).ok);
    int attributes = 0;
    ASSERT_TRUE(platform::GetAttributes("C:\\A\\src.txt", attributes).ok);
    EXPECT_EQ(testenv::Comparable(attributes), testenv::Comparable(platform::kHidden));
    // Setting what is there already is no change.
    EXPECT_TRUE(platform::SetAttributes("C:\\A\\src.txt", platform::kHidden).ok);
    platform::RunResult result = platform::RunAndWait("C:\\A\\prog", "args");
    EXPECT_TRUE(result.started);
    EXPECT_EQ(result.exitCode, 0);

    const platform::WouldDo& wouldDo = scope.wouldDo();
    EXPECT_EQ(wouldDo.foldersCreated, Lines{"C:\\A\\New"});
    EXPECT_EQ(wouldDo.filesWritten, (Lines{"C:\\A\\New\\copy.txt", "C:\\A\\w.txt"}));
    EXPECT_EQ(wouldDo.attributeChanges, 1);
    EXPECT_EQ(wouldDo.programsNotStarted, Lines{"C:\\A\\prog args"});
  }
  EXPECT_FALSE(platform::ReadOnly());
  EXPECT_EQ(testenv::FirstDifference(before, testenv::Snapshot(drive.root())), "");
  EXPECT_FALSE(platform::FolderExists("C:\\A\\New"));
  EXPECT_TRUE(platform::FileExists("C:\\A\\old.txt"));
}

TEST(ReadOnlyScope, ACopyOfAMissingFileFailsAsItWould) {
  ScratchDrive drive;
  drive.MakeFolder("C:\\A");
  platform::ReadOnlyScope scope;
  EXPECT_FALSE(platform::CopyFileAtomic("C:\\A\\missing", "C:\\A\\copy").ok);
  EXPECT_FALSE(platform::Exists("C:\\A\\copy"));
  EXPECT_TRUE(scope.wouldDo().filesWritten.empty());
}

}  // namespace
