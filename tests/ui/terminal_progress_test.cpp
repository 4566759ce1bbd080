#include "ui/terminal_progress.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/dialog.h"
#include "core/progress.h"

namespace {

TEST(TerminalProgress, BarFollowsTheValueBetweenMinimumAndMaximum) {
  ProgressWindow window;
  window.Load();
  window.Max = 1005;
  window.Information = "Upgrade USER FILES";
  const std::string blank(15, ' ');
  struct Row {
    double value;
    std::string line;
  };
  const std::vector<Row> table = {
      {1, "[" + blank + "] Upgrade USER FILES"},
      {503, "[########       ] Upgrade USER FILES"},
      {1005, "[###############] Upgrade USER FILES"},
      {5000, "[###############] Upgrade USER FILES"},  // the copy stage may run past the maximum
  };
  for (const Row& row : table) {
    window.Value = row.value;
    EXPECT_EQ(ProgressLine(window, 60), row.line) << row.value;
  }
}

const std::string kFile =
    "Upgrade user files "
    "C:\\QVD\\ROBOTER\\QVD\\R1\\Program\\Pallet\\Deep\\Station_12\\Place_part.src";

struct WidthCase {
  int columns;
  std::string line;
};

TEST(TerminalProgress, TheLineFitsTheTerminalAndShowsTheCountAndTheFileName) {
  ProgressWindow window;
  window.Load();
  window.Max = 1005;
  window.Value = 503;
  window.Information = kFile;
  window.Done = 812;
  window.Total = 2000;
  const std::vector<WidthCase> table = {
      {60, "[########       ] 812/2000 Upgrade u...on_12\\Place_part.src"},
      {80, "[##########          ] 812/2000 Upgrade user f...Deep\\Station_12\\Place_part.src"},
      {120,
       "[###############               ] 812/2000 Upgrade user files "
       "C:\\QV...D\\R1\\Program\\Pallet\\Deep\\Station_12\\Place_part.src"},
      {200, "[###############               ] 812/2000 " + kFile},
      // Too narrow for the bar: the text alone, its file name kept.
      {20, "U...\\Place_part.src"},
  };
  for (const WidthCase& row : table) {
    const std::string line = ProgressLine(window, row.columns);
    EXPECT_EQ(line, row.line) << row.columns;
    EXPECT_LT(line.size(), static_cast<std::size_t>(row.columns)) << row.columns;
  }
}

TEST(TerminalProgress, WithoutACountTheStageTextFollowsTheBar) {
  ProgressWindow window;
  window.Load();
  window.Information = "Upgrade SYSTEM FILE: $CONFIG.DAT";
  EXPECT_EQ(ProgressLine(window, 60), "[               ] Upgrade SYSTEM FILE: $CONFIG.DAT");
}

struct ShortenCase {
  std::string text;
  std::size_t room;
  std::string shortened;
};

TEST(TerminalProgress, ShorteningKeepsTheStartAndTheName) {
  const std::vector<ShortenCase> table = {
      {"short", 10, "short"},
      {"abcdefghijklmnopqrstuvwxyz", 12, "abc...uvwxyz"},
      {"C:\\A\\B\\C\\D\\E\\name.src", 14, "C:...\\name.src"},
      {"C:\\A\\" + std::string(30, 'x') + ".src", 10, "...xxx.src"},
      {"abcdef", 2, "ef"},
  };
  for (const ShortenCase& row : table)
    EXPECT_EQ(ShortenInTheMiddle(row.text, row.room), row.shortened) << row.text;
}

TEST(Dialog, SelectionBoxes) {
  MainDialog dialog;
  dialog.Form_Load();
  EXPECT_FALSE(dialog.Checkval());
  dialog.SelAll_Click();
  EXPECT_TRUE(dialog.Checkval());
  EXPECT_EQ(dialog.CONFIG_DAT + dialog.Userfiles + dialog.SPS_SUB + dialog.IR_STOPM_SRC, 4);
  dialog.DeselAll_Click();
  EXPECT_FALSE(dialog.Checkval());
  dialog.SPS_SUB = 2;  // only the value 1 counts as ticked
  EXPECT_FALSE(dialog.Checkval());
}

}  // namespace
