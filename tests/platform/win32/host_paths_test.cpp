// Paths on Windows: used as they are, a drive redirected only when its
// variable is set; nesting compared on final paths without regard to case.

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "platform/platform.h"
#include "platform/win32/internal.h"
#include "support/test_env.h"

namespace {

using testenv::ScratchDrive;

TEST(Win32HostPaths, ADriveWithoutVariableIsUsedAsItIs) {
  platform::RemoveEnvironmentValue("VANTREL_DRIVE_Q");
  EXPECT_EQ(platform::HostPath("Q:\\A\\B.src"), "Q:\\A\\B.src");
  EXPECT_EQ(platform::HostPath("\\\\server\\share\\x"), "\\\\server\\share\\x");
  EXPECT_EQ(platform::HostPath("relative\\x"), "relative\\x");
}

TEST(Win32HostPaths, ADriveWithAVariableIsItsFolder) {
  ASSERT_TRUE(platform::SetEnvironmentValue("VANTREL_DRIVE_Q", "D:\\scratch\\q\\"));
  EXPECT_EQ(platform::HostPath("Q:\\A\\B.src"), "D:\\scratch\\q\\A\\B.src");
  EXPECT_EQ(platform::HostPath("q:/A"), "D:\\scratch\\q/A");
  EXPECT_EQ(platform::HostPath("Q:A"), "D:\\scratch\\q\\A");
  EXPECT_EQ(platform::HostPath("Q:"), "D:\\scratch\\q");
  platform::RemoveEnvironmentValue("VANTREL_DRIVE_Q");
}

TEST(Win32HostPaths, NestingIgnoresCase) {
  ScratchDrive drive;
  drive.MakeFolder("C:\\Inst\\R1\\Sub");
  drive.MakeFolder("C:\\Other");
  EXPECT_TRUE(platform::SameOrNested("C:\\INST", "c:\\inst\\r1\\sub"));
  EXPECT_TRUE(platform::SameOrNested("C:\\Inst\\R1", "C:\\INST\\R1\\"));
  EXPECT_FALSE(platform::SameOrNested("C:\\Inst\\R1", "C:\\Other"));
  EXPECT_FALSE(platform::SameOrNested("C:\\Inst", "C:\\Ins"));
  EXPECT_FALSE(platform::SameOrNested("C:\\Inst", "C:\\Missing"));
}

TEST(Win32HostPaths, SystemErrorsAreReportedInThePosixWords) {
  EXPECT_EQ(platform::win32::ReasonOf(ERROR_FILE_NOT_FOUND), std::strerror(ENOENT));
  EXPECT_EQ(platform::win32::ReasonOf(ERROR_PATH_NOT_FOUND), std::strerror(ENOENT));
  EXPECT_EQ(platform::win32::ReasonOf(ERROR_ACCESS_DENIED), std::strerror(EACCES));
  EXPECT_FALSE(platform::win32::ReasonOf(ERROR_NOT_ENOUGH_MEMORY).empty());
}

}  // namespace
