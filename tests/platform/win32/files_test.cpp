// Replacing files on Windows: a read-only target is replaced in one move,
// and temporary files of a writer that is gone are swept.

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "platform/win32/internal.h"
#include "support/test_env.h"

namespace {

using testenv::ScratchDrive;

std::vector<std::string> Names(const std::string& folder) {
  std::vector<platform::DirEntry> entries;
  platform::ListFolder(folder, entries);
  std::vector<std::string> names;
  for (const auto& entry : entries) names.push_back(entry.name);
  return names;
}

TEST(Win32Files, AReadOnlySystemTargetIsReplacedAndKeepsItsAttributes) {
  ScratchDrive drive;
  drive.Write("C:\\Dir\\T.dat", "old");
  const int kept = platform::kReadOnly | platform::kSystem | platform::kHidden;
  ASSERT_TRUE(platform::SetAttributes("C:\\Dir\\T.dat", kept));

  ASSERT_TRUE(platform::WriteFileAtomic("C:\\Dir\\T.dat", "new"));

  EXPECT_EQ(drive.Read("C:\\Dir\\T.dat"), "new");
  int attributes = 0;
  ASSERT_TRUE(platform::GetAttributes("C:\\Dir\\T.dat", attributes));
  EXPECT_EQ(attributes & ~platform::kArchive, kept);
  EXPECT_EQ(Names("C:\\Dir"), std::vector<std::string>{"T.dat"});
  platform::SetAttributes("C:\\Dir\\T.dat", 0);
}

TEST(Win32Files, ACopyReplacingAReadOnlyTargetCarriesTheSourcesAttributes) {
  ScratchDrive drive;
  drive.Write("C:\\S.dat", "source");
  drive.Write("C:\\Dir\\T.dat", "old");
  ASSERT_TRUE(platform::SetAttributes("C:\\S.dat", platform::kHidden));
  ASSERT_TRUE(platform::SetAttributes("C:\\Dir\\T.dat", platform::kReadOnly));

  ASSERT_TRUE(platform::CopyFileAtomic("C:\\S.dat", "C:\\Dir\\T.dat"));

  EXPECT_EQ(drive.Read("C:\\Dir\\T.dat"), "source");
  int attributes = 0;
  ASSERT_TRUE(platform::GetAttributes("C:\\Dir\\T.dat", attributes));
  EXPECT_EQ(attributes & ~platform::kArchive, platform::kHidden);
}

TEST(Win32Files, TheTemporaryFilesOfAWriterThatIsGoneAreSwept) {
  ScratchDrive drive;
  std::string gone = std::string(platform::kTempPrefix) + "4000000000-1";
  std::string mine = std::string(platform::kTempPrefix) +
                     std::to_string(platform::CurrentProcessId()) + "-1";
  drive.Write("C:\\Dir\\" + gone, "half");
  drive.Write("C:\\Dir\\" + mine, "at work");
  ASSERT_TRUE(platform::SetAttributes("C:\\Dir\\" + gone, platform::kReadOnly));

  platform::RemoveStaleTempFiles("C:\\Dir");

  EXPECT_EQ(Names("C:\\Dir"), std::vector<std::string>{mine});
}

}  // namespace
