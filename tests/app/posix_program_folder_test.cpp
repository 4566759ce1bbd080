// The log library is loaded from the program's folder as the operating
// system names it. A folder whose name holds a backslash ("a\b") is one
// folder here; read as a system-form path it would be the folders a and b,
// where anyone may have put a library of that name.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "platform/platform.h"
#include "support/test_env.h"

namespace fs = std::filesystem;

namespace {

struct LibraryPlace {
  const char *name;
  bool besideProgram; // else only in the folders a/b the mapping would name
  bool loaded;
};

class ProgramFolderWithBackslash
    : public ::testing::TestWithParam<LibraryPlace> {};

std::string OutputOf(const std::string &command) {
  std::string output;
  FILE *pipe = popen((command + " 2>&1").c_str(), "r");
  if (!pipe)
    return output;
  char buffer[512];
  for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    output.append(buffer, got);
  pclose(pipe);
  return output;
}

TEST_P(ProgramFolderWithBackslash, LoadsOnlyTheLibraryBesideTheProgram) {
  testenv::ScratchDrive drive;
  const fs::path built = testenv::BuiltProgramFolder();
  const fs::path programFolder = fs::path(drive.root()) / "x" / "a\\b";
  const fs::path mappedFolder = fs::path(drive.root()) / "x" / "a" / "b";
  fs::create_directories(programFolder);
  fs::create_directories(mappedFolder);
  fs::copy_file(built / testenv::ProgramFileName(), programFolder / "vantrel");
  const fs::path library =
      GetParam().besideProgram ? programFolder : mappedFolder;
  fs::copy_file(built / platform::LogLibraryFileName(),
                library / platform::LogLibraryFileName());

  const std::string output = OutputOf(
      "'" + (programFolder / "vantrel").string() + "' 'C:\\none|C:\\neither'");

  const std::string refusal =
      "vantrel: cannot load the log library " +
      (programFolder / platform::LogLibraryFileName()).string() + ": ";
  EXPECT_EQ(output.find(refusal) == std::string::npos, GetParam().loaded)
      << output;
}

INSTANTIATE_TEST_SUITE_P(
    Posix, ProgramFolderWithBackslash,
    ::testing::Values(LibraryPlace{"Beside", true, true},
                      LibraryPlace{"OnlyWhereMapped", false, false}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
