// A change watcher is told of each change before it is made, never of its
// own changes, and not at all inside a read-only scope.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/platform.h"
#include "support/test_env.h"

namespace {

using testenv::ScratchDrive;

struct Told {
  std::string path;
  platform::Change change;
  int attributes;
  bool existedBefore;
  bool operator==(const Told&) const = default;
};

class Recorder : public platform::ChangeWatcher {
 public:
  platform::Status BeforeChange(const std::string& path, platform::Change change,
                                int attributes) override {
    told.push_back({path, change, attributes, platform::Exists(path)});
    // A change of the watcher's own is not told to it again.
    if (writeOwnFile) platform::WriteFileAtomic("C:\\Own.txt", "mine");
    return refuse ? platform::Status::Fail("refused") : platform::Status::Ok();
  }
  std::vector<Told> told;
  bool writeOwnFile = false;
  bool refuse = false;
};

TEST(ChangeWatch, EveryKindOfChangeIsToldBeforeItIsMade) {
  ScratchDrive drive;
  drive.Write("C:\\A\\old.txt", "old");
  Recorder recorder;
  {
    platform::ChangeWatchScope scope(recorder);
    ASSERT_TRUE(platform::CreateFolder("C:\\B"));
    ASSERT_TRUE(platform::CopyFileAtomic("C:\\A\\old.txt", "C:\\B\\copy.txt"));
    ASSERT_TRUE(platform::WriteFileAtomic("C:\\A\\old.txt", "new"));
    ASSERT_TRUE(platform::SetAttributes("C:\\A\\old.txt", platform::kHidden));
    int now = 0;
    ASSERT_TRUE(platform::GetAttributes("C:\\A\\old.txt", now));
    ASSERT_TRUE(platform::SetAttributes("C:\\A\\old.txt", now));  // as they are: no change
    ASSERT_TRUE(platform::RemoveFile("C:\\B\\copy.txt"));
    platform::AnnounceChange("C:\\A\\old.txt");
  }
  using platform::Change;
  const std::vector<Told> expected = {
      {"C:\\B", Change::kNewFolder, 0, false},
      {"C:\\B\\copy.txt", Change::kReplace, 0, false},
      {"C:\\A\\old.txt", Change::kReplace, 0, true},
      {"C:\\A\\old.txt", Change::kAttributes, platform::kHidden, true},
      {"C:\\B\\copy.txt", Change::kRemoval, 0, true},
      {"C:\\A\\old.txt", Change::kInPlace, 0, true},
  };
  EXPECT_EQ(recorder.told, expected);
}

TEST(ChangeWatch, NothingIsToldOutsideTheScopeNorOfTheWatchersOwnChanges) {
  ScratchDrive drive;
  Recorder recorder;
  recorder.writeOwnFile = true;
  {
    platform::ChangeWatchScope scope(recorder);
    ASSERT_TRUE(platform::WriteFileAtomic("C:\\run.txt", "run"));
  }
  ASSERT_TRUE(platform::WriteFileAtomic("C:\\after.txt", "after"));
  ASSERT_EQ(recorder.told.size(), 1u);
  EXPECT_EQ(recorder.told[0].path, "C:\\run.txt");
  EXPECT_EQ(drive.Read("C:\\Own.txt"), "mine");
}

TEST(ChangeWatch, AReadOnlyScopeTellsNothing) {
  ScratchDrive drive;
  Recorder recorder;
  platform::ChangeWatchScope scope(recorder);
  platform::ReadOnlyScope readOnly;
  ASSERT_TRUE(platform::WriteFileAtomic("C:\\planned.txt", "x"));
  ASSERT_TRUE(platform::CreateFolder("C:\\Planned"));
  EXPECT_TRUE(recorder.told.empty());
}

TEST(HardLink, KeepsTheBytesWhileTheFileIsReplaced) {
  ScratchDrive drive;
  drive.Write("C:\\A\\file.txt", "before");
  drive.MakeFolder("C:\\Keep");
  ASSERT_TRUE(platform::AddHardLink("C:\\A\\file.txt", "C:\\Keep\\kept"));
  ASSERT_TRUE(platform::WriteFileAtomic("C:\\A\\file.txt", "after"));
  EXPECT_EQ(drive.Read("C:\\Keep\\kept"), "before");
  EXPECT_EQ(drive.Read("C:\\A\\file.txt"), "after");
}

TEST(HardLink, FailsForAMissingFileOrAnExistingName) {
  ScratchDrive drive;
  drive.Write("C:\\A\\file.txt", "x");
  drive.Write("C:\\A\\taken.txt", "y");
  EXPECT_FALSE(platform::AddHardLink("C:\\A\\missing.txt", "C:\\A\\link"));
  EXPECT_FALSE(platform::AddHardLink("C:\\A\\file.txt", "C:\\A\\taken.txt"));
  EXPECT_EQ(drive.Read("C:\\A\\taken.txt"), "y");
}

TEST(RemoveFolder, RemovesAnEmptyFolderOnly) {
  ScratchDrive drive;
  drive.MakeFolder("C:\\Empty");
  drive.Write("C:\\Full\\f.txt", "x");
  EXPECT_TRUE(platform::RemoveFolder("C:\\Empty"));
  EXPECT_FALSE(platform::FolderExists("C:\\Empty"));
  EXPECT_FALSE(platform::RemoveFolder("C:\\Full"));
  EXPECT_TRUE(platform::FileExists("C:\\Full\\f.txt"));
}

TEST(StampText, IsDateAndTimeInOneFixedForm) {
  const std::string stamp = platform::StampText();
  ASSERT_EQ(stamp.size(), 19u) << stamp;
  for (std::size_t at : {4u, 7u}) EXPECT_EQ(stamp[at], '-') << stamp;
  EXPECT_EQ(stamp[10], '_') << stamp;
  for (std::size_t at : {13u, 16u}) EXPECT_EQ(stamp[at], '-') << stamp;
  for (std::size_t at : {0u, 1u, 2u, 3u, 5u, 6u, 8u, 9u, 11u, 12u, 14u, 15u, 17u, 18u})
    EXPECT_TRUE(stamp[at] >= '0' && stamp[at] <= '9') << stamp;
}

// A watcher that cannot keep what is there stops the change: nothing of
// it reaches the disk, and the call says why.
TEST(ChangeWatch, ARefusedChangeIsNotMade) {
  ScratchDrive drive;
  drive.Write("C:\\A\\old.txt", "old");
  Recorder recorder;
  recorder.refuse = true;
  platform::ChangeWatchScope watching(recorder);
  const std::vector<platform::Status> results = {
      platform::WriteFileAtomic("C:\\A\\old.txt", "new"),
      platform::CopyFileAtomic("C:\\A\\old.txt", "C:\\A\\copy.txt"),
      platform::SetAttributes("C:\\A\\old.txt", platform::kReadOnly),
      platform::RemoveFile("C:\\A\\old.txt"),
      platform::CreateFolder("C:\\A\\New"),
      platform::AnnounceChange("C:\\A\\old.txt")};
  for (const platform::Status& status : results) EXPECT_EQ(status.reason, "refused");
  EXPECT_EQ(drive.Read("C:\\A\\old.txt"), "old");
  int attributes = 0;
  ASSERT_TRUE(platform::GetAttributes("C:\\A\\old.txt", attributes));
  EXPECT_EQ(attributes & platform::kReadOnly, 0);
  EXPECT_FALSE(platform::Exists("C:\\A\\copy.txt"));
  EXPECT_FALSE(platform::Exists("C:\\A\\New"));
}

}  // namespace
