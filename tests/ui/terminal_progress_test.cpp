#include "ui/terminal_progress.h"

#include <gtest/gtest.h>

#include "core/dialog.h"
#include "core/progress.h"

namespace {

TEST(TerminalProgress, BarFollowsTheValueBetweenMinimumAndMaximum) {
  ProgressWindow window;
  window.Load();
  window.Max = 1005;
  window.Information = "Upgrade USER FILES";
  window.Value = 1;
  EXPECT_EQ(ProgressLine(window, 10), "[          ] Upgrade USER FILES");
  window.Value = 503;
  EXPECT_EQ(ProgressLine(window, 10), "[#####     ] Upgrade USER FILES");
  window.Value = 1005;
  EXPECT_EQ(ProgressLine(window, 10), "[##########] Upgrade USER FILES");
  window.Value = 5000;  // the copy stage may run past the maximum
  EXPECT_EQ(ProgressLine(window, 10), "[##########] Upgrade USER FILES");
}

TEST(TerminalProgress, LongStageTextsAreCut) {
  ProgressWindow window;
  window.Information = "Upgrade user files " + std::string(200, 'x');
  std::string line = ProgressLine(window, 10);
  EXPECT_EQ(line.size(), 100u);
  EXPECT_EQ(line.substr(97), "...");
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
