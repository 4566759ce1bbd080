#include "marker_lines.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "folds.h"
#include "text.h"

namespace foldex {
namespace {

struct Found {
  std::size_t index, begin, end, next;
  bool operator==(const Found&) const = default;
};

std::vector<Found> Walked(const std::string& bytes, MarkerLines::Walk walk) {
  std::vector<Found> found;
  MarkerLines lines(bytes, walk);
  Line line;
  for (std::size_t index = 0; lines.Next(line, index);)
    found.push_back({index, line.begin, line.end, line.next});
  return found;
}

// What every line of the text, walked one by one, says.
std::vector<Found> Expected(const std::string& bytes) {
  std::vector<Found> found;
  std::vector<Line> lines = SplitLines(bytes);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::string_view text = TextOf(bytes, lines[i]);
    for (std::size_t at = 0; at + 1 < text.size(); ++at) {
      const char lower = static_cast<char>(text[at + 1] | 0x20);
      if (text[at] == ';' && (lower == 'f' || lower == 'e')) {
        found.push_back({i, lines[i].begin, lines[i].end, lines[i].next});
        break;
      }
    }
  }
  return found;
}

// Texts whose breaks, semicolons and letters fall on and around the
// sixteen-byte blocks, and random ones of the bytes that matter.
std::vector<std::string> Texts() {
  std::vector<std::string> texts = {
      "",
      ";",
      ";F",
      "x;e",
      std::string(15, 'x') + ";F\r\n",
      std::string(15, 'x') + "\r\n;E",
      std::string(16, 'x') + ";f",
      std::string(14, 'x') + "\r\n" + std::string(15, 'y') + ";FOLD",
      std::string(15, 'x') + "\r" + "\n;ENDFOLD\r\n",
      std::string(15, 'x') + "\r;E" + std::string(40, 'z'),
      std::string(31, '\n') + ";F" + std::string(31, '\r') + ";E",
      "a; b;\r\n;%{PE}\n\r" + std::string(20, ';') + "F",
  };
  std::mt19937 random(7);
  const std::string alphabet = ";;;fFeEx \r\r\n\n";
  for (int i = 0; i < 3000; ++i) {
    std::string text(random() % 90, ' ');
    for (char& c : text) c = alphabet[random() % alphabet.size()];
    texts.push_back(text);
  }
  return texts;
}

TEST(FoldexMarkerLines, BothWalksFindTheLinesOfEveryPairWithTheirIndexes) {
  for (const std::string& text : Texts()) {
    const std::vector<Found> expected = Expected(text);
    EXPECT_EQ(Walked(text, MarkerLines::Walk::kBlocks), expected) << text;
    EXPECT_EQ(Walked(text, MarkerLines::Walk::kBytes), expected) << text;
  }
}

TEST(FoldexMarkerLines, FoldsAndFaultsAreThoseOfTheLineByLineParse) {
  std::mt19937 random(11);
  const std::vector<std::string> pieces = {
      ";FOLD A",  ";fold B;%x", ";ENDFOLD", ";EndFold x", "; comment", "x ;FOLD C ;ENDFOLD",
      "PTP HOME", "\r\n",       "\n",       "\r"};
  for (int i = 0; i < 2000; ++i) {
    std::string text;
    for (int n = static_cast<int>(random() % 40); n > 0; --n)
      text += pieces[random() % pieces.size()];
    FoldTree listed = ParseFolds(text, SplitLines(text));
    FoldTree walked = ParseFolds(text);
    ASSERT_EQ(walked.faults, listed.faults) << text;
    ASSERT_EQ(walked.folds.size(), listed.folds.size()) << text;
    for (std::size_t f = 0; f < walked.folds.size(); ++f) {
      const Fold& a = walked.folds[f];
      const Fold& b = listed.folds[f];
      EXPECT_EQ(std::tie(a.name, a.open, a.close, a.openLine.begin, a.openLine.next, a.closeEnd,
                         a.parent, a.holdsFold),
                std::tie(b.name, b.open, b.close, b.openLine.begin, b.openLine.next, b.closeEnd,
                         b.parent, b.holdsFold))
          << text;
    }
  }
}

}  // namespace
}  // namespace foldex
