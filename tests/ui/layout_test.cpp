#include "ui/layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

TEST(Layout, ControlsAreFoundByName) {
  const FormLayout &form = SettingsLayout();
  const ControlLayout *box = form.Find("IR_STOPM_SRC");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->kind, ControlKind::kCheckBox);
  EXPECT_EQ(box->caption, "IR_STOPM.SRC");
  EXPECT_EQ(box->container, "Frame1");
  EXPECT_EQ(form.Find("Nothing"), nullptr);
}

TEST(Layout, FocusOrderNamesEveryControlThatTakesInputOnce) {
  const FormLayout &form = SettingsLayout();
  std::vector<std::string> order(form.focusOrder.begin(), form.focusOrder.end());
  EXPECT_EQ(order, (std::vector<std::string>{"SelAll", "DeselAll", "Leave", "Run", "BrowseSRC",
                                             "BrowseDest", "DestPath", "CONFIG_DAT", "SPS_SUB",
                                             "IR_STOPM_SRC", "Userfiles", "SourcePath"}));
  for (const ControlLayout &control : form.controls) {
    bool takesInput = control.kind != ControlKind::kGroup && control.kind != ControlKind::kLabel;
    EXPECT_EQ(std::count(order.begin(), order.end(), control.name), takesInput ? 1 : 0)
        << control.name;
  }
}

TEST(Layout, TwipsBecomePixelsAt15APixelAt96Dpi) {
  EXPECT_EQ(TwipsToPixels(8130, 96), 542);
  EXPECT_EQ(TwipsToPixels(4980, 96), 332);
  EXPECT_EQ(TwipsToPixels(15, 96), 1);
  EXPECT_EQ(TwipsToPixels(8130, 144), 813);  // 150 %
  EXPECT_EQ(TwipsToPixels(255, 96), 17);
  EXPECT_EQ(TwipsToPixels(7, 96), 0);
  EXPECT_EQ(TwipsToPixels(8, 96), 1);  // rounded to the nearest pixel
}

TEST(Layout, ControlsInAGroupCountFromItsCorner) {
  const FormLayout &form = SettingsLayout();
  // SPS_SUB: Frame1 at 120, 1680 plus 240, 720.
  EXPECT_EQ(ClientRect(form, *form.Find("SPS_SUB"), 96), (PixelRect{24, 160, 81, 17}));
  // CONFIG_DAT lies on the window itself, inside Frame1's area.
  EXPECT_EQ(ClientRect(form, *form.Find("CONFIG_DAT"), 96), (PixelRect{24, 136, 97, 17}));
  EXPECT_EQ(ClientRect(form, *form.Find("Run"), 96), (PixelRect{440, 288, 81, 33}));
  const FormLayout &progress = ProgressLayout();
  EXPECT_EQ(ClientRect(progress, *progress.Find("ProgressBar"), 96), (PixelRect{16, 96, 321, 25}));
}

TEST(Layout, AFormInPixelsIsItsTableAtThatSize) {
  const FormLayout &progress = ProgressLayout();
  EXPECT_EQ(FormAt(progress, 96),
            (PixelForm{351, 150, {{8, 16, 337, 44}, {8, 72, 337, 57}, {16, 96, 321, 25}}}));
  EXPECT_EQ(FormAt(progress, 144),
            (PixelForm{527, 225, {{12, 24, 506, 66}, {12, 108, 506, 86}, {24, 144, 482, 38}}}));
}

// The progress window's stage text wraps: at 144 dots per inch a long path
// takes three lines of the bold font, 24 pixels each, where the label has
// room for 66 pixels.
TEST(Layout, AControlGrownToHoldItsTextPushesWhatLiesBelowItAndTheWindowDown) {
  const PixelForm designed96{351, 150, {{8, 16, 337, 44}, {8, 72, 337, 57}, {16, 96, 321, 25}}};
  const PixelForm designed144{
      527, 225, {{12, 24, 506, 66}, {12, 108, 506, 86}, {24, 144, 482, 38}}};
  const PixelForm three96{351, 172, {{8, 16, 337, 66}, {8, 94, 337, 57}, {16, 118, 321, 25}}};
  const PixelForm three144{527, 231, {{12, 24, 506, 72}, {12, 114, 506, 86}, {24, 150, 482, 38}}};
  // The group grows; the bar inside it is not below it and stays.
  const PixelForm group144{527, 235, {{12, 24, 506, 66}, {12, 108, 506, 96}, {24, 144, 482, 38}}};
  const struct {
    int dpi;
    const char *name;
    int neededHeight;
    const PixelForm &expected;
  } cases[] = {
      // Two lines of 22 pixels fill the label at 96 dots per inch exactly.
      {96, "Information", 44, designed96},
      // A shorter text leaves the label as designed.
      {96, "Information", 22, designed96},
      {96, "Information", 66, three96},
      {144, "Information", 66, designed144},
      {144, "Information", 72, three144},
      {144, "Frame", 96, group144},
      // No such control: nothing moves.
      {144, "Nothing", 200, designed144},
  };
  for (const auto &each : cases)
    EXPECT_EQ(GrownToHold(ProgressLayout(), each.dpi, each.name, each.neededHeight), each.expected)
        << each.name << " " << each.neededHeight << " pixels at " << each.dpi;
}

TEST(Layout, WindowsAreCentredOnTheScreen) {
  EXPECT_EQ(CentredOnScreen(1024, 768, 548, 358), (PixelPoint{238, 205}));
  EXPECT_EQ(CentredOnScreen(1025, 769, 548, 358), (PixelPoint{238, 205}));
}

}  // namespace
