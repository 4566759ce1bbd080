#include "core/file_reg.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_env.h"

namespace {

using Lines = std::vector<std::string>;

const std::string kOld = "C:\\OLD\\R1";

class FileRegistry : public ::testing::Test {
 protected:
  void Put(const std::string& relativePath) { drive.Write(kOld + "\\" + relativePath, "x\r\n"); }
  Lines Find(CFileReg& registry, const std::string& ext) {
    registry.findFilesToConvert(run.context, kOld, ext);
    return registry.FilesToCopy();
  }
  Context& context() { return run.context; }
  const Lines& Log() const { return run.lines(); }

  testenv::ScratchDrive drive;
  testenv::MemoryRun run;
  CFileReg registry;
};

TEST_F(FileRegistry, BreadthFirstWithNumberedLines) {
  Put("Program\\Sub\\C.SRC");
  Put("Program\\B.src");
  Put("Zeta\\D.SRC");
  Put("A.SRC");
  Put("Program\\B.DAT");
  EXPECT_EQ(Find(registry, "src"),
            (Lines{"A.SRC", "Program\\B.src", "Zeta\\D.SRC", "Program\\Sub\\C.SRC"}));
  EXPECT_EQ(Log(), (Lines{
                       ".1.src file found to upgrade: A.SRC",
                       ".2.src file found to upgrade: Program\\B.src",
                       ".3.src file found to upgrade: Zeta\\D.SRC",
                       ".4.src file found to upgrade: Program\\Sub\\C.SRC",
                   }));
}

TEST_F(FileRegistry, SameNameInRootAndFolderRegisteredTwice) {
  Put("Program\\A.SRC");
  Put("A.SRC");
  EXPECT_EQ(Find(registry, "src"), (Lines{"A.SRC", "Program\\A.SRC"}));
  EXPECT_EQ(Log(), (Lines{".1.src file found to upgrade: A.SRC",
                          ".2.src file found to upgrade: Program\\A.SRC"}));
}

TEST_F(FileRegistry, EachRegistryCountsFromOne) {
  Put("A.SRC");
  Put("A.DAT");
  CFileReg datRegistry;
  Find(registry, "src");
  Find(datRegistry, "dat");
  EXPECT_EQ(Log(), (Lines{".1.src file found to upgrade: A.SRC",
                          ".1.dat file found to upgrade: A.DAT"}));
}

TEST_F(FileRegistry, TopLevelMadaAndTpAreLeftOut) {
  Put("MADA\\M.DAT");
  Put("TP\\T.DAT");
  Put("Program\\Mada\\P.DAT");
  Put("Program\\TP\\Q.DAT");
  EXPECT_EQ(Find(registry, "dat"), (Lines{"Program\\Mada\\P.DAT", "Program\\TP\\Q.DAT"}));
}

TEST_F(FileRegistry, SystemFileExcludedByNameInEveryFolder) {
  context().SystemFilesList.Add("$config.dat");
  Put("System\\$CONFIG.DAT");
  Put("Program\\$Config.dat");
  Put("Program\\OTHER.DAT");
  EXPECT_EQ(Find(registry, "dat"), (Lines{"Program\\OTHER.DAT"}));
}

TEST_F(FileRegistry, NotToConvertExcludedByNameInEveryFolder) {
  context().FileNotToConvertList.Add("X.SRC");
  Put("X.SRC");
  Put("Program\\x.src");
  Put("Program\\Y.SRC");
  EXPECT_EQ(Find(registry, "src"), (Lines{"Program\\Y.SRC"}));
}

TEST_F(FileRegistry, CopyOnlyByNameExcludesEveryFileOfThatName) {
  context().FileToCopyList.Add("X.SRC");
  Put("X.SRC");
  Put("Program\\X.SRC");
  Put("Program\\Y.SRC");
  EXPECT_EQ(Find(registry, "src"), (Lines{"Program\\Y.SRC"}));
}

TEST_F(FileRegistry, CopyOnlyByPathExcludesThatFileOnly) {
  context().FileToCopyList.Add("program\\x.src");
  Put("X.SRC");
  Put("Program\\X.SRC");
  Put("Other\\X.SRC");
  EXPECT_EQ(Find(registry, "src"), (Lines{"X.SRC", "Other\\X.SRC"}));
}

TEST_F(FileRegistry, ListedNamesDoNotMatchOtherKindsOrPartialNames) {
  context().SystemFilesList.Add("SPS.SUB");
  context().FileNotToConvertList.Add("A");
  Put("SPS.SRC");
  Put("A.SRC");
  EXPECT_EQ(Find(registry, "src"), (Lines{"A.SRC", "SPS.SRC"}));
}

TEST_F(FileRegistry, KindTextMatchesTheEndOfTheName) {
  Put("XSRC");
  Put("Y.SRC1");
  EXPECT_EQ(Find(registry, "src"), (Lines{"XSRC"}));
}

TEST_F(FileRegistry, EmptyOrMissingTreeRegistersNothing) {
  drive.MakeFolder(kOld);
  EXPECT_EQ(Find(registry, "src"), Lines{});
  registry.findFilesToConvert(run.context, "C:\\NOWHERE", "src");
  EXPECT_EQ(registry.FilesToCopy(), Lines{});
  EXPECT_EQ(Log(), Lines{});
}

}  // namespace
