#include "trees/attributes.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "platform/platform.h"
#include "support/test_env.h"

namespace {

using testenv::MemoryRun;
using testenv::ScratchDrive;
using Lines = std::vector<std::string>;
using platform::kArchive;
using platform::kFolder;
using platform::kHidden;
using platform::kReadOnly;
using platform::kSystem;

const std::string kSource = "C:\\OLD\\R1";
const std::string kDest = "C:\\NEW\\R1";

struct AttributeRun : MemoryRun {
  ScratchDrive drive;
  AttributeRun() {
    context.Arg.Source = kSource;
    context.Arg.Dest = kDest;
  }
  void Set(const std::string& path, int attributes) { testenv::SetAttributes(path, attributes); }
  int Get(const std::string& path) { return testenv::Comparable(testenv::GetAttributes(path)); }
};

TEST(TransferAttributes, BitsOfFilesAndFoldersReachTheDestination) {
  AttributeRun run;
  for (const std::string& root : {kSource, kDest}) {
    run.drive.Write(root + "\\a.src", "");
    run.drive.Write(root + "\\Program\\b.dat", "");
    run.drive.Write(root + "\\Program\\Sub\\c.sub", "");
  }
  run.Set(kSource + "\\a.src", kHidden | kReadOnly);
  run.Set(kSource + "\\Program", kHidden | kSystem);
  run.Set(kSource + "\\Program\\b.dat", kSystem | kArchive);
  run.Set(kSource + "\\Program\\Sub", kReadOnly);
  run.Set(kSource + "\\Program\\Sub\\c.sub", kReadOnly | kHidden | kSystem);
  TransferAttributes(run.context);
  EXPECT_EQ(run.lines(), Lines{".Transferring File/Folder Attributes"});
  EXPECT_EQ(run.Get(kDest + "\\a.src"), testenv::Comparable(kHidden | kReadOnly));
  EXPECT_EQ(run.Get(kDest + "\\Program"), testenv::Comparable(kFolder | kHidden | kSystem));
  EXPECT_EQ(run.Get(kDest + "\\Program\\b.dat"), testenv::Comparable(kSystem | kArchive));
  // Entries inside a folder made read-only still get their bits.
  EXPECT_EQ(run.Get(kDest + "\\Program\\Sub"), testenv::Comparable(kFolder | kReadOnly));
  EXPECT_EQ(run.Get(kDest + "\\Program\\Sub\\c.sub"), testenv::Comparable(kReadOnly | kHidden | kSystem));
}

TEST(TransferAttributes, AttributesAreCopiedNotMerged) {
  AttributeRun run;
  run.drive.Write(kSource + "\\a.src", "");
  run.drive.Write(kDest + "\\a.src", "");
  run.Set(kSource + "\\a.src", kArchive);
  run.Set(kDest + "\\a.src", kReadOnly | kHidden);
  TransferAttributes(run.context);
  EXPECT_EQ(run.Get(kDest + "\\a.src"), testenv::Comparable(kArchive));
}

TEST(TransferAttributes, EntriesOfOneSideOnlyAreLeftAlone) {
  AttributeRun run;
  run.drive.Write(kSource + "\\only-source.src", "");
  run.drive.Write(kSource + "\\Gone\\x.src", "");
  run.drive.Write(kDest + "\\only-dest.src", "");
  run.Set(kSource + "\\only-source.src", kHidden);
  run.Set(kSource + "\\Gone", kHidden);
  run.Set(kDest + "\\only-dest.src", kSystem);
  TransferAttributes(run.context);
  EXPECT_EQ(run.lines(), Lines{".Transferring File/Folder Attributes"});
  EXPECT_EQ(run.Get(kDest + "\\only-dest.src"), testenv::Comparable(kSystem));
  EXPECT_FALSE(run.drive.Exists(kDest + "\\only-source.src"));
  EXPECT_FALSE(run.drive.Exists(kDest + "\\Gone"));
}

TEST(TransferAttributes, EmptyOrMissingTreeWritesItsLineOnly) {
  AttributeRun run;
  run.drive.MakeFolder(kSource);
  run.drive.Write(kDest + "\\a.src", "");
  run.Set(kDest + "\\a.src", kHidden);
  TransferAttributes(run.context);
  run.context.Arg.Source = "C:\\MISSING";
  TransferAttributes(run.context);
  run.context.Arg.Source = kSource;
  run.context.Arg.Dest = "C:\\MISSING";
  TransferAttributes(run.context);
  EXPECT_EQ(run.lines(), (Lines{".Transferring File/Folder Attributes",
                                ".Transferring File/Folder Attributes",
                                ".Transferring File/Folder Attributes"}));
  EXPECT_EQ(run.Get(kDest + "\\a.src"), testenv::Comparable(kHidden));
}

#ifndef _WIN32
// Named pipes and symbolic links: entries only POSIX makes freely.
// A named pipe takes no extended attributes: setting the hidden bit on it
// fails like a locked entry would.
TEST(TransferAttributes, EntryThatRefusesItsBitsIsLoggedAndTheRestGoesOn) {
  AttributeRun run;
  run.drive.Write(kSource + "\\a.src", "");
  run.drive.Write(kSource + "\\b.src", "");
  run.drive.Write(kDest + "\\b.src", "");
  run.drive.MakeFolder(kDest);
  ASSERT_EQ(mkfifo(run.drive.Host(kDest + "\\a.src").c_str(), 0644), 0);
  run.Set(kSource + "\\a.src", kHidden);
  run.Set(kSource + "\\b.src", kHidden);
  TransferAttributes(run.context);
  EXPECT_EQ(run.lines(), (Lines{".Transferring File/Folder Attributes",
                                "# Can not set attributes: " + kDest +
                                    "\\a.src : Operation not permitted"}));
  EXPECT_EQ(run.Get(kDest + "\\b.src"), testenv::Comparable(kHidden));
}
#endif

#ifndef _WIN32
// Named pipes and symbolic links: entries only POSIX makes freely.
TEST(TransferTreeAttributes, LinkedFoldersAreNotFollowed) {
  AttributeRun run;
  run.drive.Write("C:\\A\\x.src", "");
  run.drive.Write("C:\\B\\x.src", "");
  run.drive.MakeFolder(kSource);
  run.drive.MakeFolder(kDest);
  ASSERT_EQ(symlink(run.drive.Host("C:\\A").c_str(), run.drive.Host(kSource + "\\Link").c_str()), 0);
  ASSERT_EQ(symlink(run.drive.Host("C:\\B").c_str(), run.drive.Host(kDest + "\\Link").c_str()), 0);
  run.Set("C:\\A\\x.src", kHidden);
  run.Set("C:\\A", kSystem);
  TransferTreeAttributes(run.context, kSource, kDest);
  EXPECT_EQ(run.lines(), Lines{});
  EXPECT_EQ(run.Get("C:\\B\\x.src"), testenv::Comparable(0));
  EXPECT_EQ(run.Get("C:\\B"), testenv::Comparable(kFolder));
}
#endif

}  // namespace
