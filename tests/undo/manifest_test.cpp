#include "undo/manifest.h"

#include <gtest/gtest.h>

#include "util/sha256.h"

namespace {

const std::string kRoot = "C:\\QVD\\ROBOTER\\QVD";
const std::string kSha(64, 'a');
const std::string kZero(64, '0');
const JournalHeader kHeader{kRoot, "2026-12-09_07-30-00"};
const std::string kHead =
    "Vantrel backup journal 2\nroot\tC:\\QVD\\ROBOTER\\QVD\nstart\t2026-12-09_07-30-00\n";

ManifestEntry Entry(BackupAction action, int before, std::string kept, std::string keptSha,
                    std::string path, bool present = false, uint64_t size = 0,
                    std::string sha = "") {
  return {action, before, std::move(kept), std::move(keptSha), std::move(path), true, present,
          size, std::move(sha)};
}

std::vector<ManifestEntry> Sample() {
  return {
      Entry(BackupAction::kCreatedFolder, -1, "", "", kRoot + "\\R1\\New Folder"),
      Entry(BackupAction::kCreated, -1, "", "", kRoot + "\\R1\\New Folder\\a.src", true, 12, kSha),
      Entry(BackupAction::kChanged, 33, "files\\000001", kZero, kRoot + "\\R1\\System\\$C.DAT",
            true, 0, kZero),
      Entry(BackupAction::kChanged, 32, "files\\000002", kSha, kRoot + "\\x.dat"),
      Entry(BackupAction::kAttributes, 16, "", "", kRoot + "\\STEU"),
  };
}

const std::string kEntries =
    "created-folder\t-\t-\t-\tC:\\QVD\\ROBOTER\\QVD\\R1\\New Folder\n"
    "created\t-\t-\t-\tC:\\QVD\\ROBOTER\\QVD\\R1\\New Folder\\a.src\n"
    "changed\t33\tfiles\\000001\t" + kZero + "\tC:\\QVD\\ROBOTER\\QVD\\R1\\System\\$C.DAT\n"
    "changed\t32\tfiles\\000002\t" + kSha + "\tC:\\QVD\\ROBOTER\\QVD\\x.dat\n"
    "attributes\t16\t-\t-\tC:\\QVD\\ROBOTER\\QVD\\STEU\n";
const std::string kAfter = "after\t1\t-\t-\n"
                           "after\t2\t12\t" + kSha + "\n"
                           "after\t3\t0\t" + kZero + "\n"
                           "after\t4\t-\t-\n"
                           "after\t5\t-\t-\n";

TEST(Journal, IsAHeadTheEntriesTheirStateAtTheEndAndAnEndRecord) {
  const std::string before = kHead + kEntries + kAfter;
  EXPECT_EQ(JournalText(kHeader, Sample()),
            before + "end\t5\t" + util::Sha256Hex(before) + "\n");
}

TEST(Journal, ReadsBackWhatItWrote) {
  Journal journal;
  std::string fault;
  ASSERT_TRUE(ParseJournal(JournalText(kHeader, Sample()), journal, fault)) << fault;
  EXPECT_FALSE(journal.cutOff);
  EXPECT_EQ(journal.header, kHeader);
  EXPECT_EQ(journal.entries, Sample());
}

// A run killed at any byte leaves its entries so far, the last one maybe
// torn; nothing of the state at the end is believed without the end record.
TEST(Journal, WithoutItsEndRecordIsCutOffAndKeepsEveryCompleteEntry) {
  const std::string whole = JournalText(kHeader, Sample());
  for (std::size_t size = kHead.size(); size < whole.size(); ++size) {
    Journal journal;
    std::string fault;
    ASSERT_TRUE(ParseJournal(whole.substr(0, size), journal, fault)) << size << ": " << fault;
    EXPECT_TRUE(journal.cutOff) << size;
    const std::size_t complete = std::min<std::size_t>(
        std::count(whole.begin(), whole.begin() + size, '\n') - 3, Sample().size());
    ASSERT_EQ(journal.entries.size(), complete) << size;
    for (const ManifestEntry& entry : journal.entries) {
      EXPECT_FALSE(entry.afterKnown);
      EXPECT_TRUE(entry.sha256After.empty());
    }
  }
}

TEST(Journal, MergesTheKeptBytesOfAnEntryWhoseAttributesChangedFirst) {
  Journal journal;
  std::string fault;
  ASSERT_TRUE(ParseJournal(kHead + "attributes\t1\t-\t-\tC:\\QVD\\ROBOTER\\QVD\\a\n"
                                   "changed\t1\tfiles\\000001\t" + kSha +
                                   "\tC:\\QVD\\ROBOTER\\QVD\\A\n",
                           journal, fault))
      << fault;
  ASSERT_EQ(journal.entries.size(), 1u);
  EXPECT_EQ(journal.entries[0].action, BackupAction::kChanged);
  EXPECT_EQ(journal.entries[0].kept, "files\\000001");
}

struct Refused {
  const char* what;
  std::string text;
  std::string fault;
};

class JournalRefuses : public ::testing::TestWithParam<Refused> {};

TEST_P(JournalRefuses, NamingTheLineAndTheFault) {
  Journal journal;
  std::string fault;
  EXPECT_FALSE(ParseJournal(GetParam().text, journal, fault));
  EXPECT_EQ(fault, GetParam().fault);
}

const std::string kLine4 = "changed\t32\tfiles\\000001\t" + kSha + "\t";

// Torn while its head was written, a journal tells of a run that changed
// nothing; a torn head of anything else is no journal.
TEST(JournalHead, CutShortIsToldApartFromAWholeHeadAndFromOtherText) {
  for (std::size_t size = 0; size < kHead.size(); ++size)
    EXPECT_TRUE(JournalHeadCutShort(kHead.substr(0, size))) << size;
  EXPECT_FALSE(JournalHeadCutShort(kHead));
  EXPECT_FALSE(JournalHeadCutShort(kHead + kLine4));
  EXPECT_FALSE(JournalHeadCutShort("[Section]\n"));
  EXPECT_FALSE(JournalHeadCutShort("Vantrel backup manifest 1\n"));
  EXPECT_FALSE(JournalHeadCutShort("Vantrel backup journal 2x"));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, JournalRefuses,
    ::testing::Values(
        Refused{"empty", "", "line 1: the journal's head is cut short"},
        Refused{"former", "Vantrel backup manifest 1\n",
                "line 1: a manifest of format 1, written by an earlier version; this version "
                "rolls back journals of format 2 only"},
        Refused{"other", "[Section]\n", "line 1: not a backup journal"},
        Refused{"head cut", kHead.substr(0, kHead.size() - 1),
                "line 3: the journal's head is cut short"},
        Refused{"relative root", "Vantrel backup journal 2\nroot\tQVD\nstart\tx\n",
                "line 2: no sound destination root"},
        Refused{"root with dots", "Vantrel backup journal 2\nroot\tC:\\A\\..\nstart\tx\n",
                "line 2: no sound destination root"},
        Refused{"bad action", kHead + "moved\t-\t-\t-\tC:\\QVD\\ROBOTER\\QVD\\a\n",
                "line 4: not an entry"},
        Refused{"dots", kHead + kLine4 + kRoot + "\\R1\\..\\..\\..\\outside\\x.txt\n",
                "line 4: a path outside C:\\QVD\\ROBOTER\\QVD: " + kRoot +
                    "\\R1\\..\\..\\..\\outside\\x.txt"},
        Refused{"other root", kHead + kLine4 + "C:\\QVD_OLDINST\\QVD\\R1\\Weld.src\n",
                "line 4: a path outside C:\\QVD\\ROBOTER\\QVD: C:\\QVD_OLDINST\\QVD\\R1\\Weld.src"},
        Refused{"the root itself", kHead + "created-folder\t-\t-\t-\t" + kRoot + "\n",
                "line 4: a path outside C:\\QVD\\ROBOTER\\QVD: " + kRoot},
        Refused{"host path", kHead + kLine4 + kRoot + "\\/etc/passwd\n",
                "line 4: a path outside C:\\QVD\\ROBOTER\\QVD: " + kRoot + "\\/etc/passwd"},
        Refused{"kept outside",
                kHead + "changed\t32\tfiles\\..\\..\\secret\t" + kSha + "\t" + kRoot + "\\a\n",
                "line 4: a kept file outside the backup's files: files\\..\\..\\secret"},
        Refused{"kept without hash", kHead + "changed\t32\tfiles\\000001\t-\t" + kRoot + "\\a\n",
                "line 4: a kept file outside the backup's files: files\\000001"},
        Refused{"created with kept",
                kHead + "created\t-\tfiles\\000001\t" + kSha + "\t" + kRoot + "\\a\n",
                "line 4: an entry at odds with itself: " + kRoot + "\\a"},
        Refused{"twice", kHead + "created\t-\t-\t-\t" + kRoot + "\\a\ncreated\t-\t-\t-\t" +
                    kRoot + "\\A\n",
                "line 5: a second entry for " + kRoot + "\\A"},
        Refused{"count", kHead + "created\t-\t-\t-\t" + kRoot + "\\a\nafter\t1\t-\t-\nend\t2\t" +
                    kSha + "\n",
                "line 6: the end record counts 2 entries, the journal holds 1"},
        Refused{"hash", kHead + "created\t-\t-\t-\t" + kRoot + "\\a\nafter\t1\t-\t-\nend\t1\t" +
                    kSha + "\n",
                "line 6: the end record's hash does not match the journal"},
        Refused{"after the end", JournalText(kHeader, {}) + "created\t-\t-\t-\t" + kRoot + "\\a\n",
                "line 5: text after the end record"}),
    [](const auto& info) {
      std::string name = info.param.what;
      for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
      return name;
    });

}  // namespace
