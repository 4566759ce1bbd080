// Whole runs over the sample installations in examples/: the golden run,
// and the guarantees that hold after every run.
//
// VANTREL_UPDATE_EXPECTED=1 writes the expected log and tree anew from a run
// instead of comparing (review the change before committing it).

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "app/summary.h"
#include "platform/platform.h"
#include "support/test_env.h"
#include "support/tree_snapshot.h"

namespace fs = std::filesystem;

namespace {

using testenv::BatchRun;
using testenv::ScratchDrive;
using testenv::TreeSnapshot;
using Lines = std::vector<std::string>;

const std::string kSamples = std::string(VANTREL_SOURCE_DIR) + "/examples";
const std::string kExpected = kSamples + "/expected";
const std::string kCommand = "C:\\QVD_OLDINST\\QVD\\R1|C:\\QVD\\ROBOTER\\QVD\\R1";
const std::string kProgram = "C:\\PROG";

// A scratch drive holding a fresh copy of the samples with their attributes,
// and a program folder with the real exchange program.
class Samples : public ::testing::Test {
 protected:
  void SetUp() override {
    testenv::LaySamples(drive, kProgram);
    sourceBefore = testenv::Snapshot(drive.Host("C:\\QVD_OLDINST"));
  }
  Lines Log() const {
    return testenv::ReadLogLines(drive.Host("C:\\QVD\\ROBOTER\\LOG\\Vantrel.log"));
  }
  std::string LastLine() const {
    Lines log = Log();
    return log.empty() ? std::string() : log.back();
  }
  TreeSnapshot Destination() const {
    return testenv::SnapshotWithoutLog(drive.Host("C:\\QVD\\ROBOTER"));
  }
  void ExpectSourceUnchanged() const {
    EXPECT_EQ(testenv::FirstDifference(sourceBefore, testenv::Snapshot(drive.Host("C:\\QVD_OLDINST"))),
              "");
  }

  ScratchDrive drive;
  TreeSnapshot sourceBefore;
};

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteText(const std::string& path, const std::string& text) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// An attribute list (letters, blank, path) as the golden run compares it
// here: the bits that tests can compare on this system (testenv::Comparable),
// and on Windows none of a file's archive bit, which the system sets on
// every file it writes, the fresh copies of the samples included.
std::string ComparableList(const std::string& list, const TreeSnapshot& tree) {
  const std::string letters = "RHSA";
  const int bits[] = {platform::kReadOnly, platform::kHidden, platform::kSystem, platform::kArchive};
  std::istringstream lines(list);
  std::string result;
  for (std::string line; std::getline(lines, line);) {
    std::size_t blank = line.find(' ');
    std::string path = line.substr(blank + 1);
    auto entry = tree.find(fs::path(path).make_preferred().string());
    if (entry == tree.end()) {
      std::string key = path;
      std::replace(key.begin(), key.end(), '\\', '/');
      entry = tree.find(key);
    }
    int attributes = entry != tree.end() && entry->second.folder ? platform::kFolder : 0;
    for (char letter : line.substr(0, blank))
      if (letters.find(letter) != std::string::npos) attributes |= bits[letters.find(letter)];
#ifdef _WIN32
    if (!(attributes & platform::kFolder)) attributes &= ~platform::kArchive;
#endif
    attributes = testenv::Comparable(attributes);
    std::string kept;
    for (std::size_t i = 0; i < letters.size(); ++i)
      if (attributes & bits[i]) kept += letters[i];
    if (!kept.empty()) result += kept + " " + path + "\n";
  }
  return result;
}

bool Updating() { return std::getenv("VANTREL_UPDATE_EXPECTED") != nullptr; }

TEST_F(Samples, GoldenRunGivesTheExpectedLogAndTree) {
  BatchRun run(kProgram);
  int code = run.Run(kCommand);
  Lines log = testenv::MaskedLog(Log(), kProgram);
  TreeSnapshot tree = Destination();
  if (Updating()) {
    std::string text;
    for (const std::string& line : log) text += line + "\r\n";
    WriteText(kExpected + "/Vantrel.log", text);
    fs::remove_all(kExpected + "/tree");
    testenv::CopyTree(drive.Host("C:\\QVD\\ROBOTER"), kExpected + "/tree");
    fs::remove_all(kExpected + "/tree/LOG");
    for (auto& entry : fs::recursive_directory_iterator(kExpected + "/tree"))
      fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add);
    WriteText(kExpected + "/attributes.txt", testenv::AttributeList(tree));
    WriteText(kExpected + "/exit-code", std::to_string(code) + "\n");
    GTEST_SKIP() << "expected files written";
  }
  EXPECT_EQ(std::to_string(code) + "\n", ReadText(kExpected + "/exit-code"));
  EXPECT_EQ(log, testenv::ReadLogLines(kExpected + "/Vantrel.log"));
  TreeSnapshot expected = testenv::Snapshot(kExpected + "/tree");
  for (auto& [path, state] : expected) state.attributes = state.folder ? 16 : 0;
  for (auto& [path, state] : tree) state.attributes &= 16;
  EXPECT_EQ(testenv::FirstDifference(expected, tree), "");
  TreeSnapshot destination = Destination();
  EXPECT_EQ(ComparableList(testenv::AttributeList(destination), destination),
            ComparableList(ReadText(kExpected + "/attributes.txt"), destination));
  ExpectSourceUnchanged();
}

TEST_F(Samples, GoldenRunGivesTheExpectedSummary) {
  BatchRun run(kProgram);
  run.Run(kCommand);
  std::string summary = SummaryText(run.context.Record, "<LOG>", "");
  if (Updating()) {
    WriteText(kExpected + "/summary.txt", summary);
    GTEST_SKIP() << "expected summary written";
  }
  EXPECT_EQ(summary, ReadText(kExpected + "/summary.txt"));
}

TEST_F(Samples, SourceIsUnchangedAfterARunWithErrors) {
  fs::remove(drive.Host("C:\\QVD\\ROBOTER\\Template\\Vorgabe.dat"));
  fs::remove(drive.Host("C:\\QVD\\ROBOTER\\QVD\\R1\\System\\SPS.SUB"));
  BatchRun run(kProgram);
  EXPECT_EQ(run.Run(kCommand), 1);
  Lines log = Log();
  EXPECT_NE(std::find(log.begin(), log.end(), "# USER Files not converted !!!"), log.end());
  ExpectSourceUnchanged();
}

TEST_F(Samples, SourceIsUnchangedAfterAnAbortedRun) {
  fs::remove_all(drive.Host("C:\\QVD\\ROBOTER\\Template"));
  BatchRun run(kProgram);
  EXPECT_EQ(run.Run(kCommand), 1);
  EXPECT_EQ(LastLine(), "# Can not find path: C:\\QVD\\ROBOTER\\TEMPLATE");
  ExpectSourceUnchanged();
}

TEST_F(Samples, DestinationInsideTheSourceIsRefusedAndNothingIsWritten) {
  BatchRun run(kProgram);
  EXPECT_EQ(run.Run("C:\\QVD_OLDINST\\QVD\\R1|C:\\QVD_OLDINST\\QVD\\R1\\Program\\Pallet"), 1);
  EXPECT_EQ(LastLine(), "# ERROR: source path = destination path");
  ExpectSourceUnchanged();
}

// The exchange program is killed at a different moment in each round: every
// destination file is afterwards either as it was or as a complete run
// leaves it, and no temporary file is left behind.
TEST_F(Samples, KilledExchangeProgramLeavesNoHalfWrittenFile) {
  TreeSnapshot before = Destination();
  TreeSnapshot after;
  {
    ScratchDrive clean;
    testenv::LaySamples(clean, kProgram);
    BatchRun full(kProgram);
    full.Run(kCommand);
    after = testenv::SnapshotWithoutLog(clean.Host("C:\\QVD\\ROBOTER"));
  }
  testenv::InstallFakeFoldex(drive, kProgram);
  testenv::SetFoldexBehaviour(drive, kProgram, "exchange\ndie-within 6\n");

  BatchRun run(kProgram);
  run.Run(kCommand);
  for (const auto& [path, state] : Destination()) {
    EXPECT_EQ(path.find(".vantrel-tmp"), std::string::npos) << path;
    if (state.folder) continue;
    auto matches = [&](const TreeSnapshot& tree) {
      auto found = tree.find(path);
      return found != tree.end() && found->second.bytes == state.bytes;
    };
    // A user file is copied first and then exchanged: the plain copy is a
    // whole state too. $CONFIG.DAT passes several whole states; each ends
    // with its last line.
    bool whole = matches(before) || matches(after) || matches(sourceBefore) ||
                 (path == testenv::SnapshotKey("QVD/R1/System/$CONFIG.DAT") && state.bytes.size() >= 8 &&
                  state.bytes.compare(state.bytes.size() - 8, 8, "ENDDAT\r\n") == 0);
    EXPECT_TRUE(whole) << path;
  }
  ExpectSourceUnchanged();
}

}  // namespace
