// The progress window as a real window, driven through its state.

#include <gtest/gtest.h>

#include <string>

#include "core/context.h"
#include "ui/win32/windows_ui.h"

#include <commctrl.h>

namespace {

std::string TextOf(HWND window) {
  char text[600] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

class ProgressWindowView : public ::testing::Test {
 protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    state.Load();
  }
  HWND Bar() { return view.Control("ProgressBar"); }

  ProgressWindow state;
  ProgressView view{state};
};

TEST_F(ProgressWindowView, ShowsCaptionStageTextAndBarAsTheStateHasThem) {
  state.Max = 1005;
  state.Caption = "Upgrade R1 files";
  state.Show();
  state.Information = "Upgrade user files C:\\QVD\\ROBOTER\\QVD\\R1\\Program";
  state.Value = 400;
  state.Refresh();
  ASSERT_NE(view.Window(), nullptr);
  EXPECT_TRUE(IsWindowVisible(view.Window()));
  EXPECT_EQ(TextOf(view.Window()), "Upgrade R1 files");
  EXPECT_EQ(TextOf(view.Control("Information")),
            "Upgrade user files C:\\QVD\\ROBOTER\\QVD\\R1\\Program");
  EXPECT_EQ(TextOf(view.Control("Frame")), "Info");
  EXPECT_EQ(SendMessageA(Bar(), PBM_GETRANGE, TRUE, 0), 1);
  EXPECT_EQ(SendMessageA(Bar(), PBM_GETRANGE, FALSE, 0), 1005);
  EXPECT_EQ(SendMessageA(Bar(), PBM_GETPOS, 0, 0), 400);
}

TEST_F(ProgressWindowView, TheStageTextIsBoldArialOf975Points) {
  state.Show();
  auto font = reinterpret_cast<HFONT>(SendMessageA(view.Control("Information"), WM_GETFONT, 0, 0));
  LOGFONTA described{};
  ASSERT_TRUE(GetObjectA(font, sizeof described, &described));
  EXPECT_STREQ(described.lfFaceName, "Arial");
  EXPECT_EQ(described.lfWeight, FW_BOLD);
  EXPECT_EQ(described.lfHeight, -MulDiv(975, ScreenDpi(), 7200));
}

TEST_F(ProgressWindowView, HasItsClientSizeAndPlacesAndStandsCentred) {
  state.Show();
  int dpi = ScreenDpi();
  RECT client;
  GetClientRect(view.Window(), &client);
  EXPECT_NEAR(client.right * 1440 / dpi, 5265, 1440 / dpi);
  EXPECT_NEAR(client.bottom * 1440 / dpi, 2250, 1440 / dpi);
  int pixel = 1440 / dpi;
  // The bar lies in the group: 120 + 120 across, 1080 + 360 down.
  const struct {
    const char* name;
    int left, top, width, height;
  } places[] = {{"Information", 120, 240, 5055, 660},
                {"Frame", 120, 1080, 5055, 855},
                {"ProgressBar", 240, 1440, 4815, 375}};
  for (const auto& expected : places) {
    RECT place;
    GetWindowRect(view.Control(expected.name), &place);
    MapWindowPoints(nullptr, view.Window(), reinterpret_cast<POINT*>(&place), 2);
    EXPECT_NEAR(place.left * 1440 / dpi, expected.left, pixel) << expected.name;
    EXPECT_NEAR(place.top * 1440 / dpi, expected.top, pixel) << expected.name;
    EXPECT_NEAR((place.right - place.left) * 1440 / dpi, expected.width, pixel) << expected.name;
    EXPECT_NEAR((place.bottom - place.top) * 1440 / dpi, expected.height, pixel) << expected.name;
  }
  RECT outer;
  GetWindowRect(view.Window(), &outer);
  PixelPoint centred =
      CentredOnScreen(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                      outer.right - outer.left, outer.bottom - outer.top);
  EXPECT_EQ(outer.left, centred.left);
  EXPECT_EQ(outer.top, centred.top);
}

// Longer than the label holds at any of the sizes.
constexpr char kDeepPath[] =
    "Upgrade user files C:\\QVD\\ROBOTER\\QVD\\R1\\Program\\Cell0\\Line0\\Station8\\"
    "Handling\\Gripper2\\Palletising\\Layer12\\Column7\\Subroutines\\Approach\\"
    "Retract\\prog88.src";

RECT PlaceOn(HWND window, HWND control) {
  RECT place{};
  GetWindowRect(control, &place);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&place), 2);
  return place;
}

// A long path wraps to more lines than the label was laid out for (three
// of the bold font at 144 dots per inch): the label holds them all, with
// the group and its bar below it as far apart as designed and inside the
// window. A text that fits leaves the window as designed.
TEST(ProgressWindowSizes, TheStageTextIsShownWholeAt96And144Dpi) {
  const struct {
    int dpi;
    std::string text;
    bool grows;  // beyond the label's designed height
  } cases[] = {
      {96, "Upgrade user files C:\\QVD\\ROBOTER\\QVD\\R1\\Program", false},
      {96,
       "Upgrade user files C:\\QVD\\ROBOTER\\QVD\\R1\\Program\\Cell0\\Line0\\Station6\\prog68.src",
       false},
      {144, "Upgrade user files C:\\QVD\\ROBOTER\\QVD\\R1\\Program", false},
      {144,
       "Upgrade user files C:\\QVD\\ROBOTER\\QVD\\R1\\Program\\Cell0\\Line0\\Station8\\prog88.src",
       true},
      {96, kDeepPath, true},
      {144, kDeepPath, true},
  };
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  for (const auto& each : cases) {
    ProgressWindow state;
    ProgressView view(state, each.dpi);
    state.Load();
    state.Show();
    state.Information = each.text;
    state.Refresh();
    ASSERT_NE(view.Window(), nullptr);
    HWND label = view.Control("Information");
    EXPECT_EQ(TextOf(label), each.text);
    const int needed = WrappedTextHeight(label);
    RECT information = PlaceOn(view.Window(), label);
    RECT frame = PlaceOn(view.Window(), view.Control("Frame"));
    RECT bar = PlaceOn(view.Window(), view.Control("ProgressBar"));
    RECT client{};
    GetClientRect(view.Window(), &client);
    const int designed = TwipsToPixels(660, each.dpi);
    const int growth = each.grows ? needed - designed : 0;
    const std::string which = each.text + " at " + std::to_string(each.dpi);
    EXPECT_EQ(needed > designed, each.grows) << which;
    EXPECT_EQ(information.bottom - information.top, designed + growth) << which;
    EXPECT_GE(information.bottom - information.top, needed) << which;
    EXPECT_EQ(information.top, TwipsToPixels(240, each.dpi)) << which;
    EXPECT_EQ(frame.top - information.bottom,
              TwipsToPixels(1080, each.dpi) - TwipsToPixels(240, each.dpi) - designed)
        << which;
    EXPECT_EQ(frame.bottom - frame.top, TwipsToPixels(855, each.dpi)) << which;
    EXPECT_EQ(bar.top, TwipsToPixels(1080 + 360, each.dpi) + growth) << which;
    EXPECT_EQ(client.bottom, TwipsToPixels(2250, each.dpi) + growth) << which;
    EXPECT_EQ(client.right, TwipsToPixels(5265, each.dpi)) << which;
  }
}

// The window grows once for a long text and keeps its size when a shorter
// one follows, so that it does not jump from file to file.
TEST_F(ProgressWindowView, KeepsItsGrownHeightWhenAShorterTextFollows) {
  state.Show();
  state.Information = kDeepPath;
  state.Refresh();
  RECT grown{};
  GetClientRect(view.Window(), &grown);
  EXPECT_GT(grown.bottom, TwipsToPixels(2250, ScreenDpi()));
  state.Information = "Upgrade user files C:\\QVD";
  state.Refresh();
  RECT after{};
  GetClientRect(view.Window(), &after);
  EXPECT_EQ(after.bottom, grown.bottom);
  EXPECT_EQ(TextOf(view.Control("Information")), "Upgrade user files C:\\QVD");
}

TEST_F(ProgressWindowView, HasACaptionAnIconAndACloseBoxButNoSizingFrame) {
  state.Show();
  LONG style = GetWindowLongA(view.Window(), GWL_STYLE);
  EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
  // Its close box asks whether to stop the run.
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_NE(SendMessageA(view.Window(), WM_GETICON, ICON_BIG, 0), 0);
  char name[100] = {};
  GetClassNameA(view.Control("Frame"), name, sizeof name);
  EXPECT_EQ(lstrcmpiA(name, "Button"), 0);
  EXPECT_EQ(GetWindowLongA(view.Control("Frame"), GWL_STYLE) & 0x0F, BS_GROUPBOX);
  GetClassNameA(view.Control("ProgressBar"), name, sizeof name);
  EXPECT_EQ(lstrcmpiA(name, PROGRESS_CLASSA), 0);
  GetClassNameA(view.Control("Information"), name, sizeof name);
  EXPECT_EQ(lstrcmpiA(name, "Static"), 0);
}

TEST_F(ProgressWindowView, StartsWithTheLoadedCaptionAndItsBarAt1Of100) {
  state.Show();
  EXPECT_EQ(TextOf(view.Window()), "Upgrade User-Programms");
  EXPECT_EQ(TextOf(view.Control("Information")), "");
  EXPECT_EQ(SendMessageA(Bar(), PBM_GETRANGE, TRUE, 0), 1);
  EXPECT_EQ(SendMessageA(Bar(), PBM_GETRANGE, FALSE, 0), 100);
  EXPECT_EQ(SendMessageA(Bar(), PBM_GETPOS, 0, 0), 1);
}

TEST_F(ProgressWindowView, HideHidesItAndUnloadDestroysIt) {
  state.Show();
  HWND window = view.Window();
  state.Hide();
  EXPECT_FALSE(IsWindowVisible(window));
  state.Unload();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(view.Window(), nullptr);
}

TEST_F(ProgressWindowView, ARefreshLetsPaintThroughButLeavesInputWaiting) {
  state.Show();
  PostMessageA(view.Window(), WM_KEYDOWN, VK_ESCAPE, 0);
  InvalidateRect(view.Window(), nullptr, TRUE);
  state.Refresh();
  MSG message;
  EXPECT_FALSE(PeekMessageA(&message, view.Window(), WM_PAINT, WM_PAINT, PM_NOREMOVE));
  EXPECT_TRUE(PeekMessageA(&message, view.Window(), WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE));
}

}  // namespace
