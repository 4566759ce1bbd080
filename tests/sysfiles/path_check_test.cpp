#include "sysfiles/path_check.h"

#include <gtest/gtest.h>

#include "support/test_env.h"

namespace {

using testenv::MemoryRun;
using testenv::ScratchDrive;
using Lines = std::vector<std::string>;

// Source C:\OLD\QVD\R1, Dest C:\NEW\ROB\QVD\R1, Template C:\NEW\ROB.
struct CheckRun : MemoryRun {
  ScratchDrive drive;
  explicit CheckRun(const Lines& folders) {
    context.Arg.Source = "C:\\OLD\\QVD\\R1";
    context.Arg.Dest = "C:\\NEW\\ROB\\QVD\\R1";
    context.Arg.Template = "C:\\NEW\\ROB";
    context.BatchMode = false;
    for (const std::string& folder : folders) drive.MakeFolder(folder);
  }
  void Tick(int config, int sps, int irStop, int user) {
    context.UI.CONFIG_DAT = config;
    context.UI.SPS_SUB = sps;
    context.UI.IR_STOPM_SRC = irStop;
    context.UI.Userfiles = user;
  }
};

const Lines kAllFolders = {"C:\\OLD\\QVD\\R1\\System", "C:\\OLD\\QVD\\R1\\Program",
                           "C:\\NEW\\ROB\\QVD\\R1\\System", "C:\\NEW\\ROB\\Template"};

TEST(CheckInstallationPaths, EverythingThereLogsNothing) {
  CheckRun run(kAllFolders);
  EXPECT_TRUE(CheckInstallationPaths(run.context));
  EXPECT_EQ(run.lines(), Lines{});
}

TEST(CheckInstallationPaths, NoBoxTickedTestsNothing) {
  CheckRun run({});
  run.Tick(0, 0, 0, 0);
  EXPECT_TRUE(CheckInstallationPaths(run.context));
  EXPECT_EQ(run.lines(), Lines{});
}

TEST(CheckInstallationPaths, OnlyTheFirstMissingFolderIsReportedSourceFirst) {
  CheckRun run({});
  EXPECT_FALSE(CheckInstallationPaths(run.context));
  // Interactive: the run finishes with its report after the one line.
  EXPECT_EQ(run.lines(), Lines{"# Can not find path: C:\\OLD\\QVD\\R1\\System"});
}

TEST(CheckInstallationPaths, DestinationSystemFolderAfterTheSource) {
  CheckRun run({"C:\\OLD\\QVD\\R1\\System", "C:\\OLD\\QVD\\R1\\Program", "C:\\NEW\\ROB\\Template"});
  for (int box = 0; box < 3; ++box) {
    run.log.lines.clear();
    run.Tick(box == 0, box == 1, box == 2, 1);
    EXPECT_FALSE(CheckInstallationPaths(run.context));
    EXPECT_EQ(run.lines(), Lines{"# Can not find path: C:\\NEW\\ROB\\QVD\\R1\\System"});
  }
}

TEST(CheckInstallationPaths, OnlyUserFilesTestsTemplateAndProgram) {
  CheckRun run({"C:\\OLD\\QVD\\R1\\Program", "C:\\NEW\\ROB\\template"});
  run.Tick(0, 0, 0, 1);
  EXPECT_TRUE(CheckInstallationPaths(run.context));
  EXPECT_EQ(run.lines(), Lines{});
}

TEST(CheckInstallationPaths, MissingTemplateIsNamedInUpperCaseBeforeProgram) {
  CheckRun run({"C:\\OLD\\QVD\\R1\\System", "C:\\NEW\\ROB\\QVD\\R1\\System"});
  EXPECT_FALSE(CheckInstallationPaths(run.context));
  EXPECT_EQ(run.lines(), Lines{"# Can not find path: C:\\NEW\\ROB\\TEMPLATE"});
}

TEST(CheckInstallationPaths, MissingProgramFolderIsLast) {
  CheckRun run({"C:\\OLD\\QVD\\R1\\System", "C:\\NEW\\ROB\\QVD\\R1\\System",
                "C:\\NEW\\ROB\\Template"});
  EXPECT_FALSE(CheckInstallationPaths(run.context));
  EXPECT_EQ(run.lines(), Lines{"# Can not find path: C:\\OLD\\QVD\\R1\\Program"});
}

TEST(CheckInstallationPaths, WithoutUserFilesTheirFoldersAreNotTested) {
  CheckRun run({"C:\\OLD\\QVD\\R1\\System", "C:\\NEW\\ROB\\QVD\\R1\\System"});
  run.Tick(1, 1, 1, 0);
  EXPECT_TRUE(CheckInstallationPaths(run.context));
}

TEST(CheckInstallationPaths, FileInPlaceOfAFolderCountsAsMissing) {
  CheckRun run({"C:\\NEW\\ROB\\QVD\\R1\\System"});
  run.drive.Write("C:\\OLD\\QVD\\R1\\System", "");
  run.Tick(1, 0, 0, 0);
  EXPECT_FALSE(CheckInstallationPaths(run.context));
  EXPECT_EQ(run.lines(), Lines{"# Can not find path: C:\\OLD\\QVD\\R1\\System"});
}

TEST(CheckInstallationPaths, LeavesTheEndOfTheRunToItsCaller) {
  CheckRun run({});
  run.context.BatchMode = true;
  EXPECT_FALSE(CheckInstallationPaths(run.context));
  EXPECT_EQ(run.lines(), Lines{"# Can not find path: C:\\OLD\\QVD\\R1\\System"});
}

}  // namespace
