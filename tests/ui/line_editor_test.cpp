#include "ui/line_editor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Outcome = LineEditor::Outcome;

struct EditCase {
  const char* name;
  std::string start;
  std::vector<std::string> keys;
  std::string text;
  std::size_t cursor;
  Outcome outcome;
};

const std::string kLeft = "\x1b[D", kRight = "\x1b[C", kHome = "\x1b[H", kEnd = "\x1b[F";

const EditCase kEdits[] = {
    {"TypingAppendsAtTheEnd", "C:\\A", {"B", "1"}, "C:\\AB1", 6, Outcome::kEditing},
    {"EnterEndsTheEdit", "C:\\A", {"\r"}, "C:\\A", 4, Outcome::kDone},
    {"LineFeedEndsItToo", "C:\\A", {"\n"}, "C:\\A", 4, Outcome::kDone},
    {"LeftThenTypeInserts", "C:\\QVD", {kLeft, kLeft, "X"}, "C:\\QXVD", 5, Outcome::kEditing},
    {"BackspaceErasesBeforeTheCursor", "C:\\QVD", {kLeft, "\x7f"}, "C:\\QD", 4, Outcome::kEditing},
    {"ControlHIsBackspace", "AB", {"\x08"}, "A", 1, Outcome::kEditing},
    {"BackspaceAtTheStartDoesNothing", "AB", {kHome, "\x7f"}, "AB", 0, Outcome::kEditing},
    {"DeleteErasesUnderTheCursor", "ABC", {kHome, "\x1b[3~"}, "BC", 0, Outcome::kEditing},
    {"DeleteAtTheEndDoesNothing", "ABC", {"\x1b[3~"}, "ABC", 3, Outcome::kEditing},
    {"HomeAndEndInTheirForms",
     "ABC",
     {"\x1bOH", "1", "\x1b[4~", "2", "\x01", "3", "\x05", "4"},
     "31AB"
     "C24",
     7,
     Outcome::kEditing},
    {"CursorStaysWithinTheText",
     "AB",
     {kRight, kRight, kLeft, kLeft, kLeft, "X"},
     "XAB",
     1,
     Outcome::kEditing},
    {"ControlUClearsToTheStart", "C:\\OLD", {kLeft, "\x15", "D"}, "DD", 1, Outcome::kEditing},
    {"ControlDOnAnEmptyLineEndsTheInput", "", {"\x04"}, "", 0, Outcome::kEndOfInput},
    {"ControlDElsewhereDeletes", "AB", {kHome, "\x04"}, "B", 0, Outcome::kEditing},
    {"UnknownSequencesAndControlsAreIgnored",
     "AB",
     {"\x1b[Z", "\x1b", "\x07", "\t"},
     "AB",
     2,
     Outcome::kEditing},
    {"PastedTextIsInsertedWhole", "C:", {"\\QVD\\R1"}, "C:\\QVD\\R1", 9, Outcome::kEditing},
    {"CodePageBytesAreText", "", {"\xE9"}, "\xE9", 1, Outcome::kEditing},
};

class LineEditing : public ::testing::TestWithParam<EditCase> {};

TEST_P(LineEditing, KeysChangeTheTextAndTheCursor) {
  const EditCase& c = GetParam();
  LineEditor editor(c.start);
  Outcome outcome = Outcome::kEditing;
  for (const std::string& key : c.keys) outcome = editor.Apply(key);
  EXPECT_EQ(editor.text(), c.text);
  EXPECT_EQ(editor.cursor(), c.cursor);
  EXPECT_EQ(outcome, c.outcome);
}

INSTANTIATE_TEST_SUITE_P(Keys, LineEditing, ::testing::ValuesIn(kEdits),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LineEditor, RedrawsTheLineInPlaceWithTheCursorAtItsPlace) {
  LineEditor editor("C:\\QVD");
  EXPECT_EQ(editor.Render("Source : "), "\rSource : C:\\QVD\x1b[K");
  editor.Apply(kLeft);
  editor.Apply(kLeft);
  EXPECT_EQ(editor.Render("Source : "), "\rSource : C:\\QVD\x1b[K\x1b[2D");
}

}  // namespace
