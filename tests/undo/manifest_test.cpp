#include "undo/manifest.h"

#include <gtest/gtest.h>

namespace {

const std::string kSha(64, 'a');

std::vector<ManifestEntry> Sample() {
  return {
      {BackupAction::kCreatedFolder, -1, false, 0, "", "", "C:\\QVD\\ROBOTER\\QVD\\R1\\New Folder"},
      {BackupAction::kCreated, -1, true, 12, kSha, "", "C:\\QVD\\ROBOTER\\QVD\\R1\\New Folder\\a.src"},
      {BackupAction::kChanged, 33, true, 0, std::string(64, '0'), "files\\000001",
       "C:\\QVD\\ROBOTER\\QVD\\R1\\System\\$CONFIG.DAT"},
      {BackupAction::kChanged, 32, false, 0, "", "files\\000002", "C:\\QVD\\ROBOTER\\QVD\\x.dat"},
      {BackupAction::kAttributes, 16, false, 0, "", "", "C:\\QVD\\ROBOTER\\QVD\\STEU"},
  };
}

TEST(Manifest, IsOneLinePerEntryWithTabSeparatedFieldsAndThePathLast) {
  EXPECT_EQ(ManifestText(Sample()),
            "Vantrel backup manifest 1\n"
            "created-folder\t-\t-\t-\t-\tC:\\QVD\\ROBOTER\\QVD\\R1\\New Folder\n"
            "created\t-\t12\t" + kSha + "\t-\tC:\\QVD\\ROBOTER\\QVD\\R1\\New Folder\\a.src\n"
            "changed\t33\t0\t" + std::string(64, '0') +
            "\tfiles\\000001\tC:\\QVD\\ROBOTER\\QVD\\R1\\System\\$CONFIG.DAT\n"
            "changed\t32\t-\t-\tfiles\\000002\tC:\\QVD\\ROBOTER\\QVD\\x.dat\n"
            "attributes\t16\t-\t-\t-\tC:\\QVD\\ROBOTER\\QVD\\STEU\n");
}

TEST(Manifest, ReadsBackWhatItWrote) {
  std::vector<ManifestEntry> entries;
  std::size_t badLine = 99;
  ASSERT_TRUE(ParseManifest(ManifestText(Sample()), entries, badLine));
  EXPECT_EQ(badLine, 0u);
  EXPECT_EQ(entries, Sample());
}

TEST(Manifest, ReadsCrLfLineEnds) {
  std::vector<ManifestEntry> entries;
  std::size_t badLine = 0;
  ASSERT_TRUE(ParseManifest("Vantrel backup manifest 1\r\ncreated-folder\t-\t-\t-\t-\tC:\\A\r\n",
                            entries, badLine));
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].path, "C:\\A");
}

TEST(Manifest, RefusesOtherTextsNamingTheLine) {
  std::vector<ManifestEntry> entries;
  std::size_t badLine = 0;
  EXPECT_FALSE(ParseManifest("", entries, badLine));
  EXPECT_EQ(badLine, 1u);
  EXPECT_FALSE(ParseManifest("[Section]\n", entries, badLine));
  EXPECT_EQ(badLine, 1u);
  const std::string head = "Vantrel backup manifest 1\n";
  for (const std::string& line : {
           std::string("moved\t-\t-\t-\t-\tC:\\A"),              // unknown action
           std::string("created\tx\t-\t-\t-\tC:\\A"),            // attributes not a number
           std::string("created\t-\t12\tnot-a-digest\t-\tC:\\A"),  // digest
           std::string("created\t-\t-\t" + kSha + "\t-\tC:\\A"),    // digest without size
           std::string("created\t-\t-\t-\t-\t"),                 // no path
           std::string("created\t-\t-\t-\tC:\\A"),               // a field missing
       }) {
    EXPECT_FALSE(ParseManifest(head + "created-folder\t-\t-\t-\t-\tC:\\B\n" + line + "\n",
                               entries, badLine))
        << line;
    EXPECT_EQ(badLine, 3u) << line;
  }
}

}  // namespace
