#include "userfiles/fold_check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/test_env.h"

namespace {

using Lines = std::vector<std::string>;

const std::string kOld = "C:\\OLD\\R1";

class FoldCheck : public ::testing::Test {
 protected:
  void SetUp() override { run.context.Arg.Source = kOld; }

  bool Check(const std::string &file, const std::string &bytes) {
    drive.Write(kOld + "\\" + file, bytes);
    return ParseUserFile(run.context, file);
  }
  const Lines &Log() const { return run.lines(); }

  testenv::ScratchDrive drive;
  testenv::MemoryRun run;
};

// The log of one check: the file's errors between its first and last line.
Lines Expected(const std::string &file, const Lines &errors) {
  Lines lines{".Parse the File:" + file};
  lines.insert(lines.end(), errors.begin(), errors.end());
  lines.push_back(errors.empty() ? ".ParseUserFile: " + file + " no failure found !"
                                 : "#ParseUserFile: " + file + " hat " +
                                       std::to_string(errors.size()) + " Fehler");
  return lines;
}

struct FoldCase {
  const char *name;
  const char *file;
  std::string text;
  Lines errors;
};

std::string Missing(int line) {
  return "# ERROR: missing ';ENDFOLD' statement for the ';FOLD' statment in "
         "line " +
         std::to_string(line);
}
std::string Counts(int folds, int ends) {
  return "# ERROR: there are " + std::to_string(folds) + " ;FOLD statements, but " +
         std::to_string(ends) + " ;ENDFOLD statements in the file";
}
std::string Stray(int line) {
  return "# ERROR: there is no ';FOLD' statement for the ';ENDFOLD' in line " +
         std::to_string(line);
}

const FoldCase kFoldCases[] = {
    {"EmptyFile", "Program\\E.SRC", "", {}},
    {"NoMarkers", "A.SRC", "DEF A()\r\nPTP HOME\r\nEND\r\n", {}},
    {"NestedInAnyCase", "A.SRC", ";FOLD a\r\n  ;fold b\r\nx\r\n  ;EndFold\r\n;ENDFOLD\r\n", {}},
    {"UnclosedInnermostFirst",
     "A.SRC",
     "a\r\nb\r\n;FOLD 3\r\nd\r\n;FOLD 5\r\nf\r\ng\r\nh\r\n;ENDFOLD\r\n",
     {Counts(2, 1), Missing(3)}},
    {"SeveralUnclosed",
     "A.SRC",
     ";FOLD\r\n;FOLD\r\n;FOLD\r\n;ENDFOLD\r\n",
     {Counts(3, 1), Missing(2), Missing(1)}},
    {"StrayCloseInLineOne", "A.DAT", ";ENDFOLD\r\n;FOLD\r\n;ENDFOLD\r\n", {Stray(1)}},
    {"StrayCloseBeforeTheEndOfFileFaults",
     "A.SRC",
     ";FOLD\r\n;ENDFOLD\r\n;ENDFOLD\r\n;FOLD\r\n",
     {Stray(3), Counts(2, 1), Missing(4)}},
    // "; ENDFOLD" is no marker; the last line opens a fold and closes none.
    {"BlankAfterSemicolonAndBothMarkersOnALine",
     "A.SRC",
     "; ENDFOLD\r\n;FOLD x;ENDFOLD\r\n",
     {Counts(1, 0), Missing(2)}},
    {"LineFeedOnlyFileIsOneLine", "A.SRC", ";FOLD\n;ENDFOLD\n", {Counts(1, 0), Missing(1)}},
};

class FoldTable : public FoldCheck, public ::testing::WithParamInterface<FoldCase> {};

TEST_P(FoldTable, LogsEachFaultAndTheFileVerdict) {
  const FoldCase &c = GetParam();
  EXPECT_EQ(Check(c.file, c.text), c.errors.empty());
  EXPECT_EQ(Log(), Expected(c.file, c.errors));
}

INSTANTIATE_TEST_SUITE_P(Texts, FoldTable, ::testing::ValuesIn(kFoldCases),
                         [](const auto &info) { return std::string(info.param.name); });

// Builds text whose byte at position kFoldCheckPieceSize falls inside what
// follows the filler, so that a piece of the read ends within it.
std::string AcrossPieceEnd(std::size_t splitAfter, const std::string &across) {
  std::string text;
  while (text.size() + 3 <= kFoldCheckPieceSize - splitAfter) text += "x\r\n";
  text.append(kFoldCheckPieceSize - splitAfter - text.size(), 'y');
  return text + across;
}

TEST_F(FoldCheck, MarkersSplitAtThePieceEnd) {
  for (std::size_t split = 1; split < 8; ++split) {
    std::string text = AcrossPieceEnd(split, ";EnDfOlD\r\n") + ";FOLD\r\n;ENDFOLD\r\n";
    ASSERT_EQ(text.substr(kFoldCheckPieceSize - split, 1), ";");
    run.log.lines.clear();
    EXPECT_FALSE(Check("A.SRC", text)) << split;
    ASSERT_EQ(Log().size(), 3u);
    EXPECT_EQ(Log()[1].rfind("# ERROR: there is no ';FOLD' statement for the "
                             "';ENDFOLD' in line ",
                             0),
              0u)
        << split;
  }
  for (std::size_t split = 1; split < 5; ++split) {
    run.log.lines.clear();
    EXPECT_FALSE(Check("A.SRC", AcrossPieceEnd(split, ";fold\r\n"))) << split;
    EXPECT_EQ(Log().size(), 4u) << split;
  }
}

TEST_F(FoldCheck, CarriageReturnAndLineFeedSplitAtThePieceEnd) {
  // The line feed that starts the next piece belongs to the break: the
  // fold opens in line 2 and closes in line 3.
  std::string first(kFoldCheckPieceSize - 1, 'x');
  EXPECT_FALSE(Check("A.SRC", first + "\r\n;FOLD\r\n;ENDFOLD\r\n;ENDFOLD\r\n"));
  EXPECT_EQ(Log(), Expected("A.SRC", {Stray(4)}));
}

TEST_F(FoldCheck, DeepNestingAndLargeCountsDoNotWrap) {
  const int depth = 40000;
  std::string text;
  for (int i = 0; i < depth; ++i) text += ";FOLD\r\n";
  for (int i = 0; i < depth - 1; ++i) text += ";ENDFOLD\r\n";
  EXPECT_FALSE(Check("A.SRC", text));
  EXPECT_EQ(Log(), Expected("A.SRC", {Counts(40000, 39999), Missing(1)}));
}

TEST_F(FoldCheck, MissingFileIsOneErrorLine) {
  EXPECT_FALSE(ParseUserFile(run.context, "Program\\GONE.SRC"));
  EXPECT_EQ(Log(), (Lines{".Parse the File:Program\\GONE.SRC",
                          "# ERROR: can not read the file C:\\OLD\\R1\\Program\\GONE.SRC: "
                          "No such file or directory"}));
}

TEST_F(FoldCheck, FolderInPlaceOfTheFileIsOneErrorLine) {
  drive.MakeFolder(kOld + "\\X.SRC");
  EXPECT_FALSE(ParseUserFile(run.context, "X.SRC"));
  EXPECT_EQ(Log(), (Lines{".Parse the File:X.SRC",
                          "# ERROR: can not read the file C:\\OLD\\R1\\X.SRC: "
                          "Is a directory"}));
}

// A line of 64 MB, read in pieces: a marker at its very end still counts.
TEST_F(FoldCheck, VeryLongLineIsReadInPieces) {
  std::string text(64u << 20, 'a');
  for (std::size_t i = 0; i < text.size(); i += 1000) text[i] = ';';
  text += ";Fold";
  drive.Write(kOld + "\\L.SRC", text);
  EXPECT_FALSE(ParseUserFile(run.context, "L.SRC"));
  EXPECT_EQ(Log().back(), "#ParseUserFile: L.SRC hat 2 Fehler");
}

}  // namespace
