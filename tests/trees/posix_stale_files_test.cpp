// The clean-up of stale temporary files never works through a link: a
// folder that is a link, or lies below one, may stand for a folder outside
// the installation (or inside the old one) whose files are not the run's.

#include <gtest/gtest.h>

#include <filesystem>

#include "support/test_env.h"
#include "trees/stale_files.h"

namespace fs = std::filesystem;

namespace {

struct LinkPlace {
  const char *name;
  const char *link;    // made a link to the outside folder
  const char *cleaned; // the folder the run cleans
};

class StaleFilesThroughLink : public ::testing::TestWithParam<LinkPlace> {};

TEST_P(StaleFilesThroughLink, TheFileOutsideSurvives) {
  testenv::ScratchDrive drive;
  testenv::MemoryRun run;
  drive.Write("C:\\OUTSIDE\\Tools\\.vantrel-tmp-4000000-precious",
              "not the run's");
  drive.MakeFolder("C:\\DEST\\Program");
  fs::create_directory_symlink(
      drive.Host(std::string(GetParam().link) == "C:\\DEST\\Program\\Tools"
                     ? "C:\\OUTSIDE\\Tools"
                     : "C:\\OUTSIDE"),
      drive.Host(GetParam().link));

  RemoveStaleTempFilesOnce(run.context, GetParam().cleaned);

  EXPECT_TRUE(
      drive.Exists("C:\\OUTSIDE\\Tools\\.vantrel-tmp-4000000-precious"));
}

INSTANTIATE_TEST_SUITE_P(
    Posix, StaleFilesThroughLink,
    ::testing::Values(LinkPlace{"TheFolder", "C:\\DEST\\Program\\Tools",
                                "C:\\DEST\\Program\\Tools"},
                      LinkPlace{"AFolderAbove", "C:\\DEST\\Linked",
                                "C:\\DEST\\Linked\\Tools"}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
