// Journals tampered with after the run, most with their end record made to
// match again: each is refused whole, with the reason on standard error and
// exit code 1, and nothing is touched, inside the destination or outside.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "app/run_lock.h"
#include "platform/platform.h"
#include "support/test_env.h"
#include "support/tree_snapshot.h"
#include "undo/manifest.h"
#include "undo/rollback.h"
#include "util/sha256.h"

namespace fs = std::filesystem;

namespace {

using testenv::ScratchDrive;
using testenv::TreeSnapshot;

const std::string kCommand = "C:\\QVD_OLDINST\\QVD\\R1|C:\\QVD\\ROBOTER\\QVD\\R1";
const std::string kProgram = "C:\\PROG";
const std::string kRoot = "C:\\QVD\\ROBOTER\\QVD";
const std::string kSourceWeld = "C:\\QVD_OLDINST\\QVD\\R1\\Program\\Weld.src";
const std::string kSecret = "C:\\outside\\secret.txt";

struct Lines {
  std::string head;                  // the three lines of the head
  std::vector<std::string> entries;  // with their line feeds
  std::vector<std::string> after;
};

Lines Split(const std::string& text) {
  Lines lines;
  std::size_t start = 0;
  for (int number = 1; start < text.size(); ++number) {
    const std::size_t end = text.find('\n', start) + 1;
    const std::string line = text.substr(start, end - start);
    start = end;
    if (number <= 3)
      lines.head += line;
    else if (line.rfind("after\t", 0) == 0)
      lines.after.push_back(line);
    else if (line.rfind("end\t", 0) != 0)
      lines.entries.push_back(line);
  }
  return lines;
}

// The journal again, its end record matching what it now holds.
std::string Join(const Lines& lines, std::size_t count) {
  std::string text = lines.head;
  for (const std::string& line : lines.entries) text += line;
  for (const std::string& line : lines.after) text += line;
  return text + JournalEndLine(count, text);
}

// An entry added by a forger who knows the size and hash of its target.
std::string Forged(const std::string& text, const std::string& entry, const std::string& target,
                   const ScratchDrive& drive) {
  Lines lines = Split(text);
  lines.entries.push_back(entry);
  const std::string bytes = drive.Read(target);
  lines.after.push_back("after\t" + std::to_string(lines.after.size() + 1) + "\t" +
                        std::to_string(bytes.size()) + "\t" + util::Sha256Hex(bytes) + "\n");
  return Join(lines, lines.entries.size());
}

std::string FirstKept(const std::string& text) {
  const std::size_t at = text.find("\tfiles\\");
  return text.substr(at + 1, text.find('\t', at + 1) - at - 1);
}

struct Tampering {
  const char* name;
  std::function<std::string(const std::string& text, const ScratchDrive& drive)> change;
  std::string reason;  // what the refusal says, after the line number
  bool force = false;
};

class HostileJournal : public ::testing::TestWithParam<Tampering> {
 protected:
  void SetUp() override {
    testenv::LaySamples(drive, kProgram);
    drive.Write(kSecret, "secret");
    drive.Write("C:\\outside\\dotdot.txt", "dotdot");
    drive.MakeFolder("C:\\outside\\Folder");
    testenv::BatchRun run(kProgram);
    run.Run(kCommand);
    backup = run.context.Record.backupFolder;
    ASSERT_FALSE(backup.empty());
  }
  TreeSnapshot Everything() const {
    TreeSnapshot tree = testenv::Snapshot(drive.root());
    for (auto it = tree.begin(); it != tree.end();)
      it = it->first.rfind("QVD/ROBOTER/LOG", 0) == 0 || it->first.rfind("QVD\\ROBOTER\\LOG", 0) == 0
               ? tree.erase(it)
               : std::next(it);
    return tree;
  }

  ScratchDrive drive;
  std::string backup;
};

TEST_P(HostileJournal, IsRefusedWholeAndNothingIsTouched) {
  const std::string journal = backup + "\\" + kManifestFileName;
  drive.Write(journal, GetParam().change(drive.Read(journal), drive));
  const TreeSnapshot upgraded = Everything();
  RollbackReport report;
  EXPECT_EQ(RollBack(backup, GetParam().force, report, RollbackLock()), 1);
  const std::string refused =
      "vantrel: The journal " + drive.Host(journal) + " is refused, nothing was changed: line ";
  EXPECT_EQ(report.messages.rfind(refused, 0), 0u) << report.messages;
  EXPECT_NE(report.messages.find(GetParam().reason), std::string::npos) << report.messages;
  EXPECT_EQ(report.lines, "");
  EXPECT_EQ(testenv::FirstDifference(upgraded, Everything()), "");
}

INSTANTIATE_TEST_SUITE_P(
    Tamperings, HostileJournal,
    ::testing::Values(
        Tampering{"CreatedLineForASourceFile",
                  [](const std::string& text, const ScratchDrive& drive) {
                    return Forged(text, "created\t-\t-\t-\t" + kSourceWeld + "\n", kSourceWeld,
                                  drive);
                  },
                  ": a path outside " + kRoot + ": " + kSourceWeld},
        Tampering{"DotsOutOfTheRoot",
                  [](const std::string& text, const ScratchDrive& drive) {
                    const std::string path = kRoot + "\\R1\\..\\..\\..\\outside\\dotdot.txt";
                    return Forged(text, "created\t-\t-\t-\t" + path + "\n",
                                  "C:\\outside\\dotdot.txt", drive);
                  },
                  ": a path outside " + kRoot + ": " + kRoot + "\\R1\\..\\..\\..\\outside"},
        Tampering{"AbsoluteHostPath",
                  [](const std::string& text, const ScratchDrive& drive) {
                    return Forged(text, "created\t-\t-\t-\t" + drive.Host(kSecret) + "\n", kSecret,
                                  drive);
                  },
                  ": a path outside " + kRoot + ": "},
        Tampering{"CreatedFolderOutside",
                  [](const std::string& text, const ScratchDrive&) {
                    Lines lines = Split(text);
                    lines.entries.push_back("created-folder\t-\t-\t-\tC:\\outside\\Folder\n");
                    lines.after.push_back("after\t" + std::to_string(lines.after.size() + 1) +
                                          "\t-\t-\n");
                    return Join(lines, lines.entries.size());
                  },
                  ": a path outside " + kRoot + ": C:\\outside\\Folder"},
        Tampering{"ChangedLinePointingOutside",
                  [](const std::string& text, const ScratchDrive& drive) {
                    const std::string kept = FirstKept(text);
                    const std::string sha = text.substr(text.find(kept) + kept.size() + 1, 64);
                    return Forged(text, "changed\t32\t" + kept + "\t" + sha + "\t" + kSecret + "\n",
                                  kSecret, drive);
                  },
                  ": a path outside " + kRoot + ": " + kSecret},
        Tampering{"ForcedWithAHashOfZeros",
                  [](const std::string& text, const ScratchDrive&) {
                    Lines lines = Split(text);
                    lines.entries.push_back("created\t-\t-\t-\t" + kSecret + "\n");
                    lines.after.push_back("after\t" + std::to_string(lines.after.size() + 1) +
                                          "\t6\t" + std::string(64, '0') + "\n");
                    return Join(lines, lines.entries.size());
                  },
                  ": a path outside " + kRoot + ": " + kSecret, true},
        Tampering{"KeptOutsideTheBackup",
                  [](const std::string& text, const ScratchDrive&) {
                    std::string forged = text;
                    const std::string kept = FirstKept(text);
                    forged.replace(forged.find(kept), kept.size(),
                                   "files\\..\\..\\..\\..\\..\\outside\\secret.txt");
                    Lines lines = Split(forged);
                    return Join(lines, lines.entries.size());
                  },
                  ": a kept file outside the backup's files: files\\..\\..\\"},
        Tampering{"EndRecordCountingOtherEntries",
                  [](const std::string& text, const ScratchDrive&) {
                    Lines lines = Split(text);
                    return Join(lines, lines.entries.size() + 1);
                  },
                  "entries, the journal holds"},
        Tampering{"EntryEditedAfterTheEndRecord",
                  [](const std::string& text, const ScratchDrive&) {
                    std::string forged = text;
                    forged.replace(forged.find("\\R1\\"), 4, "\\R2\\");
                    return forged;
                  },
                  ": the end record's hash does not match the journal"},
        Tampering{"RootMadeRelative",
                  [](const std::string& text, const ScratchDrive&) {
                    std::string forged = text;
                    forged.replace(forged.find("root\tC:"), 7, "root\t..");
                    return forged;
                  },
                  "2: no sound destination root"},
        Tampering{"TextAfterTheEnd",
                  [](const std::string& text, const ScratchDrive&) {
                    return text + "created\t-\t-\t-\t" + kRoot + "\\R1\\x.src\n";
                  },
                  ": text after the end record"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
