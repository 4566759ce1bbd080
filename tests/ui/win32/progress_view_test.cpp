// The progress window as a real window, driven through its state.

#include <gtest/gtest.h>

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
