#ifndef _WIN32
#include "platform/posix/name_cache.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/paths.h"
#include "platform/platform.h"
#include "support/test_env.h"

namespace fs = std::filesystem;

namespace {

using testenv::ScratchDrive;

std::size_t Listings() { return platform::posix::ActiveNameCache()->listings(); }

TEST(NameCache, OnlyLivesWithItsScopeAndAnInnerScopeSharesIt) {
  EXPECT_EQ(platform::posix::ActiveNameCache(), nullptr);
  {
    platform::NameCacheScope outer;
    platform::NameCache* cache = platform::posix::ActiveNameCache();
    ASSERT_NE(cache, nullptr);
    {
      platform::NameCacheScope inner;
      EXPECT_EQ(platform::posix::ActiveNameCache(), cache);
    }
    EXPECT_EQ(platform::posix::ActiveNameCache(), cache);
  }
  EXPECT_EQ(platform::posix::ActiveNameCache(), nullptr);
}

TEST(NameCache, NamesTheLayerMakesAndRemovesAreKnownWithoutListingAgain) {
  ScratchDrive drive;
  drive.Write("C:\\Src\\A.SRC", "a");
  platform::NameCacheScope scope;
  ASSERT_TRUE(platform::CreateFolder("C:\\Dest").ok);
  ASSERT_TRUE(platform::CreateFolder("C:\\DEST\\Sub").ok);
  ASSERT_TRUE(platform::FolderExists("C:\\dest\\sub"));
  ASSERT_TRUE(platform::FileExists("C:\\Src\\A.SRC"));
  const std::size_t before = Listings();
  for (int i = 0; i < 200; ++i) {
    std::string name = "C:\\Dest\\Sub\\File" + std::to_string(i) + ".src";
    ASSERT_TRUE(platform::CopyFileAtomic("C:\\src\\a.src", name).ok);
    ASSERT_TRUE(platform::FileExists(platform::UpperAscii(name)));
  }
  ASSERT_TRUE(platform::WriteFileAtomic("C:\\Dest\\Sub\\Written.dat", "w").ok);
  EXPECT_EQ(platform::HostPath("C:\\DEST\\SUB\\WRITTEN.DAT"),
            drive.root() + "/Dest/Sub/Written.dat");
  ASSERT_TRUE(platform::RemoveFile("C:\\dest\\sub\\file7.SRC").ok);
  EXPECT_FALSE(platform::Exists("C:\\Dest\\Sub\\File7.src"));
  // A new name keeps its case once its twin is gone.
  EXPECT_EQ(platform::HostPath("C:\\Dest\\Sub\\FILE7.SRC"), drive.root() + "/Dest/Sub/FILE7.SRC");
  EXPECT_EQ(Listings(), before);
}

TEST(NameCache, ANameMadeBehindItsBackIsStillFound) {
  ScratchDrive drive;
  drive.MakeFolder("C:\\Store");
  platform::NameCacheScope scope;
  EXPECT_FALSE(platform::Exists("C:\\Store\\sps_sub.add"));
  // The exchange program and the log library write without the layer.
  std::ofstream(drive.root() + "/Store/sps_sub.add") << "x";
  EXPECT_TRUE(platform::FileExists("C:\\STORE\\sps_sub.add"));
  EXPECT_EQ(platform::HostPath("C:\\Store\\SPS_SUB.ADD"), drive.root() + "/Store/sps_sub.add");
  // A name taken away behind its back is found missing by what uses it.
  fs::remove(drive.root() + "/Store/sps_sub.add");
  EXPECT_FALSE(platform::FileExists("C:\\Store\\sps_sub.add"));
}

TEST(NameCache, AFolderIsListedOnceForManyNewNames) {
  ScratchDrive drive;
  drive.Write("C:\\One\\Seed.txt", "s");
  platform::NameCacheScope scope;
  ASSERT_TRUE(platform::Exists("C:\\One\\Seed.txt"));
  const std::size_t before = Listings();
  for (int i = 0; i < 500; ++i) {
    std::string name = "C:\\One\\New" + std::to_string(i) + ".txt";
    ASSERT_FALSE(platform::Exists(name));
    ASSERT_TRUE(platform::WriteFileAtomic(name, "n").ok);
  }
  EXPECT_EQ(Listings(), before);
}

TEST(NameCache, AListingOfTheFolderReplacesWhatWasKnown) {
  ScratchDrive drive;
  drive.Write("C:\\L\\Old.txt", "o");
  platform::NameCacheScope scope;
  ASSERT_TRUE(platform::Exists("C:\\L\\OLD.TXT"));
  fs::remove(drive.root() + "/L/Old.txt");
  std::ofstream(drive.root() + "/L/OLD.txt") << "n";
  std::vector<platform::DirEntry> entries;
  ASSERT_TRUE(platform::ListFolder("C:\\L", entries).ok);
  const std::size_t before = Listings();
  EXPECT_EQ(platform::HostPath("C:\\L\\old.txt"), drive.root() + "/L/OLD.txt");
  EXPECT_EQ(Listings(), before);
}

TEST(NameCache, ChoosesAmongCaseTwinsAsTheUncachedMappingDoes) {
  ScratchDrive drive;
  drive.Write("C:\\P\\vantrel", "program");
  drive.Write("C:\\P\\Vantrel\\Config.upg", "x");
  drive.Write("C:\\P\\b.txt", "1");
  drive.Write("C:\\P\\B.txt", "2");
  const std::string folderPath = platform::HostPath("C:\\P\\VANTREL\\config.upg");
  const std::string twinPath = platform::HostPath("C:\\P\\b.TXT");
  platform::NameCacheScope scope;
  EXPECT_EQ(platform::HostPath("C:\\P\\VANTREL\\config.upg"), folderPath);
  EXPECT_EQ(platform::HostPath("C:\\P\\b.TXT"), twinPath);
  EXPECT_EQ(twinPath, drive.root() + "/P/B.txt");
  EXPECT_EQ(platform::HostPath("C:\\P\\b.txt"), drive.root() + "/P/b.txt");
}

TEST(NameCache, NestedNewFoldersAreNotListed) {
  ScratchDrive drive;
  drive.MakeFolder("C:\\Deep");
  platform::NameCacheScope scope;
  // Deep was there before: it is listed once, when a name in it is asked for.
  ASSERT_FALSE(platform::Exists("C:\\Deep\\Other"));
  const std::size_t before = Listings();
  std::string path = "C:\\Deep";
  for (int level = 0; level < 100; ++level) {
    path += "\\L" + std::to_string(level);
    ASSERT_FALSE(platform::Exists(path));
    ASSERT_TRUE(platform::CreateFolder(path).ok);
  }
  ASSERT_TRUE(platform::WriteFileAtomic(path + "\\F.SRC", "f").ok);
  EXPECT_TRUE(platform::FileExists(platform::UpperAscii(path) + "\\f.src"));
  EXPECT_EQ(Listings(), before);
}

// A folder's whole path is mapped once in a run; a removal by the layer
// and a listing that finds the folder changed are seen at once.
TEST(NameCache, ARememberedFolderFollowsRemovalsAndListings) {
  ScratchDrive drive;
  drive.Write("C:\\X\\a\\b\\c.txt", "old");
  platform::NameCacheScope scope;
  EXPECT_EQ(platform::HostPath("C:\\X\\A\\B\\c.txt"), drive.root() + "/X/a/b/c.txt");
  ASSERT_TRUE(platform::RemoveFile("C:\\X\\A\\B\\c.txt").ok);
  ASSERT_TRUE(platform::RemoveFolder("C:\\X\\A\\B").ok);
  ASSERT_TRUE(platform::CreateFolder("C:\\X\\A\\B").ok);
  ASSERT_TRUE(platform::WriteFileAtomic("C:\\X\\A\\B\\c.txt", "new").ok);
  EXPECT_EQ(drive.Read("C:\\X\\a\\B\\c.txt"), "new");
  EXPECT_FALSE(fs::exists(drive.root() + "/X/a/b"));
  // Renamed behind the layer's back, then listed afresh.
  fs::rename(drive.root() + "/X/a/B", drive.root() + "/X/a/b");
  std::vector<platform::DirEntry> entries;
  ASSERT_TRUE(platform::ListFolder("C:\\X\\A", entries).ok);
  EXPECT_EQ(platform::HostPath("C:\\X\\A\\B\\c.txt"), drive.root() + "/X/a/b/c.txt");
  EXPECT_TRUE(platform::FileExists("C:\\X\\A\\B\\C.TXT"));
}

}  // namespace
#endif
