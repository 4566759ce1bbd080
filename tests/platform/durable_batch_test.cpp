// Changes put on the disk one by one, or noted and put there with the
// batch: how many waits for the disk each change costs, and when.

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <optional>
#include <string>

#include "platform/platform.h"
#include "support/test_env.h"

namespace {

using testenv::ScratchDrive;

const std::string kFolder = "C:\\QVD\\ROBOTER\\R1";

struct SyncCase {
  const char* name;
  std::function<void()> change;
  std::size_t alone;      // waits of the change made outside a batch
  std::size_t withBatch;  // waits when the batch is put on the disk
};

class DurableBatchSyncs : public ::testing::TestWithParam<SyncCase> {
 protected:
  void SetUp() override { Fresh(); }
  void Fresh() {
    drive.reset();
    drive.emplace();
    drive->Write(kFolder + "\\old.src", "old");
    drive->Write(kFolder + "\\other.src", "other");
  }
  std::optional<ScratchDrive> drive;
};

// POSIX counts every fsync; Windows counts only its file flushes (its
// file system keeps the names itself), so only the batch's share is
// compared there.
TEST_P(DurableBatchSyncs, ChangesWaitForTheDiskOnlyWhenTheBatchIsPutThere) {
  const SyncCase& c = GetParam();
  std::size_t before = platform::SyncCount();
  c.change();
  [[maybe_unused]] const std::size_t alone = platform::SyncCount() - before;
#ifndef _WIN32
  EXPECT_EQ(alone, c.alone);
#endif
  Fresh();
  {
    platform::DurableBatch batch;
    before = platform::SyncCount();
    c.change();
    EXPECT_EQ(platform::SyncCount() - before, 0u) << "a change in a batch waited for the disk";
    before = platform::SyncCount();
    ASSERT_TRUE(platform::MakeChangesDurable());
    EXPECT_EQ(platform::SyncCount() - before, c.withBatch);
    before = platform::SyncCount();
  }
  EXPECT_EQ(platform::SyncCount() - before, 0u) << "noted twice";
}

INSTANTIATE_TEST_SUITE_P(
    Changes, DurableBatchSyncs,
    ::testing::Values(
        // The file, then the folder that names it.
        SyncCase{"NewFile",
                 [] { ASSERT_TRUE(platform::WriteFileAtomic(kFolder + "\\new.src", "new")); }, 2,
                 2},
        SyncCase{"ReplacedTwice",
                 [] {
                   ASSERT_TRUE(platform::WriteFileAtomic(kFolder + "\\old.src", "one"));
                   ASSERT_TRUE(platform::WriteFileAtomic(kFolder + "\\old.src", "two"));
                 },
                 4, 2},
        SyncCase{"Copied",
                 [] {
                   ASSERT_TRUE(
                       platform::CopyFileAtomic(kFolder + "\\other.src", kFolder + "\\old.src"));
                 },
                 2, 2},
        SyncCase{"TwoFilesOneFolder",
                 [] {
                   ASSERT_TRUE(platform::WriteFileAtomic(kFolder + "\\a.src", "a"));
                   ASSERT_TRUE(platform::WriteFileAtomic(kFolder + "\\b.src", "b"));
                 },
                 4, 3},
        // Names only: the folder that holds them.
        SyncCase{"NewFolder", [] { ASSERT_TRUE(platform::CreateFolder(kFolder + "\\Sub")); }, 0, 1},
        SyncCase{"Removed", [] { ASSERT_TRUE(platform::RemoveFile(kFolder + "\\old.src")); }, 0, 1},
        SyncCase{"AttributesChanged",
                 [] {
                   ASSERT_TRUE(platform::SetAttributes(kFolder + "\\old.src", platform::kReadOnly));
                 },
                 0, 2},
        SyncCase{"AttributesAsTheyWere",
                 [] {
                   int now = 0;
                   ASSERT_TRUE(platform::GetAttributes(kFolder + "\\old.src", now));
                   ASSERT_TRUE(platform::SetAttributes(kFolder + "\\old.src", now));
                 },
                 0, 0},
        // Another program's write is put on the disk by the batch.
        SyncCase{"AnnouncedToAnotherProgram",
                 [] { ASSERT_TRUE(platform::AnnounceChange(kFolder + "\\old.src")); }, 0, 2}),
    [](const ::testing::TestParamInfo<SyncCase>& info) { return std::string(info.param.name); });

TEST(DurableBatch, ProgramsStartedMeanwhileLeaveTheirWritesToIt) {
  const char* kByCaller = "VANTREL_DURABLE_BY_CALLER";
  ASSERT_EQ(std::getenv(kByCaller), nullptr);
  {
    platform::DurableBatch batch;
    const char* value = std::getenv(kByCaller);
    ASSERT_NE(value, nullptr);
    EXPECT_STREQ(value, "1");
  }
  EXPECT_EQ(std::getenv(kByCaller), nullptr);
}

// A file whose new bytes are made of its old ones is on the disk before
// the next change, batch or not, and so are the writes of a program
// started meanwhile; the batch goes on afterwards.
TEST(DurableBatch, CanBeHeldForChangesMadeOfWhatTheyReplace) {
  const char* kByCaller = "VANTREL_DURABLE_BY_CALLER";
  ScratchDrive drive;
  drive.MakeFolder(kFolder);
  platform::DurableBatch batch;
  ASSERT_TRUE(platform::WriteFileAtomic(kFolder + "\\a.src", "a"));
  std::size_t before = platform::SyncCount();
  {
    platform::EachChangeDurable held;
    EXPECT_EQ(platform::SyncCount() - before, 2u) << "what the batch held first";
    EXPECT_EQ(std::getenv(kByCaller), nullptr);
    before = platform::SyncCount();
    ASSERT_TRUE(platform::WriteFileAtomic(kFolder + "\\b.src", "b"));
    EXPECT_GT(platform::SyncCount() - before, 0u);
    before = platform::SyncCount();
    ASSERT_TRUE(platform::MakeChangesDurable());
    EXPECT_EQ(platform::SyncCount() - before, 0u) << "noted for a batch that was held";
  }
  EXPECT_NE(std::getenv(kByCaller), nullptr);
  before = platform::SyncCount();
  ASSERT_TRUE(platform::WriteFileAtomic(kFolder + "\\c.src", "c"));
  EXPECT_EQ(platform::SyncCount() - before, 0u);
}

// Windows can flush a file only through a handle that may write, which a
// read-only file no longer gives once it is in place.
TEST(DurableBatch, AFileWrittenReadOnlyIsFlushedWhereItCannotBeOpenedAgain) {
#ifdef _WIN32
  constexpr std::size_t kAtOnce = 1;
#else
  constexpr std::size_t kAtOnce = 0;
#endif
  ScratchDrive drive;
  drive.Write(kFolder + "\\locked.src", "locked");
  ASSERT_TRUE(platform::SetAttributes(kFolder + "\\locked.src", platform::kReadOnly));
  platform::DurableBatch batch;
  const std::size_t before = platform::SyncCount();
  ASSERT_TRUE(platform::CopyFileAtomic(kFolder + "\\locked.src", kFolder + "\\copy.src"));
  EXPECT_EQ(platform::SyncCount() - before, kAtOnce);
  EXPECT_TRUE(platform::MakeChangesDurable());
}

// Without a batch, files are on the disk as they are written; the names
// and attributes that change besides wait for the end of the stage.
TEST(DurableBatch, NamesAloneCanBeNotedWhileFilesAreWrittenOneByOne) {
  ScratchDrive drive;
  drive.MakeFolder(kFolder);
  platform::DurableNames names;
  std::size_t before = platform::SyncCount();
  ASSERT_TRUE(platform::WriteFileAtomic(kFolder + "\\a.src", "a"));
  EXPECT_GT(platform::SyncCount() - before, 0u);
  ASSERT_TRUE(platform::CreateFolder(kFolder + "\\Sub"));
  ASSERT_TRUE(platform::SetAttributes(kFolder + "\\a.src", platform::kReadOnly));
  before = platform::SyncCount();
  ASSERT_TRUE(platform::MakeChangesDurable());
  EXPECT_EQ(platform::SyncCount() - before, 2u) << "the folder's names and the file's attributes";
  EXPECT_EQ(std::getenv("VANTREL_DURABLE_BY_CALLER"), nullptr);
}

TEST(DurableBatch, AFileGoneBeforeTheBatchIsNoFailure) {
  ScratchDrive drive;
  drive.MakeFolder(kFolder);
  platform::DurableBatch batch;
  ASSERT_TRUE(platform::WriteFileAtomic(kFolder + "\\gone.src", "x"));
  ASSERT_TRUE(platform::RemoveFile(kFolder + "\\gone.src"));
  EXPECT_TRUE(platform::MakeChangesDurable());
}

}  // namespace
