#include "core/progress.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Seen {
  bool visible;
  bool loaded;
  bool operator==(const Seen&) const = default;
};

TEST(ProgressWindowState, LoadSetsTheBarAndTheCaptionAndKeepsTheWindowHidden) {
  ProgressWindow window;
  window.Caption = "Upgrade R1 files";
  window.Information = "Copy Other FILES";
  window.Max = 1005;
  window.Value = 700;
  window.Load();
  EXPECT_EQ(window.Caption, "Upgrade User-Programms");
  EXPECT_EQ(window.Information, "");
  EXPECT_EQ(window.Min, 1);
  EXPECT_EQ(window.Max, 100);
  EXPECT_EQ(window.Value, 1);
  EXPECT_FALSE(window.Visible);
  EXPECT_TRUE(window.Loaded);
}

TEST(ProgressWindowState, EveryChangeOfShowingReachesTheViewThroughRefresh) {
  ProgressWindow window;
  std::vector<Seen> seen;
  window.OnRepaint = [&](const ProgressWindow& state) { seen.push_back({state.Visible, state.Loaded}); };
  window.Load();
  window.Show();
  window.Refresh();
  window.Hide();
  window.Unload();
  EXPECT_EQ(seen, (std::vector<Seen>{{true, true}, {true, true}, {false, true}, {false, false}}));
}

TEST(ProgressWindowState, WithoutAViewRefreshDoesNothing) {
  ProgressWindow window;
  window.Load();
  window.Show();
  window.Refresh();
  EXPECT_TRUE(window.Visible);
}

}  // namespace
