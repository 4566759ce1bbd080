#include "ui/layout.h"

#include <cstddef>

namespace {

using K = ControlKind;

// CONFIG_DAT and Userfiles lie on the window itself, inside Frame1's area,
// so that the four boxes show as one group.
constexpr ControlLayout kSettingsControls[] = {
    {"Frame2", K::kGroup, "Path Settings", 120, 120, 7695, 1455, ""},
    {"Label1", K::kLabel, "Source :", 480, 360, 735, 255, "Frame2"},
    {"SourcePath", K::kTextBox, "C:\\QVD_OLDINST\\QVD\\R1", 1320, 360, 4575, 285, "Frame2"},
    {"BrowseSRC", K::kButton, "Browse", 6120, 360, 1215, 375, "Frame2"},
    {"Label2", K::kLabel, "Destination :", 240, 960, 975, 255, "Frame2"},
    {"DestPath", K::kTextBox, "C:\\QVD\\ROBOTER\\QVD\\R1", 1320, 960, 4575, 285, "Frame2"},
    {"BrowseDest", K::kButton, "Browse", 6120, 960, 1215, 375, "Frame2"},
    {"Frame1", K::kGroup, "Files to upgrade", 120, 1680, 7695, 2415, ""},
    {"CONFIG_DAT", K::kCheckBox, "$CONFIG.DAT", 360, 2040, 1455, 255, ""},
    {"Userfiles", K::kCheckBox, "all Userfiles", 2520, 2040, 1215, 255, ""},
    {"SPS_SUB", K::kCheckBox, "SPS.SUB", 240, 720, 1215, 255, "Frame1"},
    {"IR_STOPM_SRC", K::kCheckBox, "IR_STOPM.SRC", 240, 1080, 1695, 255, "Frame1"},
    {"SelAll", K::kButton, "Select All", 360, 3360, 1215, 495, ""},
    {"DeselAll", K::kButton, "Deselect All", 1680, 3360, 1215, 495, ""},
    {"Leave", K::kButton, "Exit", 5160, 4320, 1215, 495, ""},
    {"Run", K::kButton, "Run", 6600, 4320, 1215, 495, ""},
};

constexpr std::string_view kSettingsFocus[] = {
    "SelAll",   "DeselAll",   "Leave",   "Run",          "BrowseSRC", "BrowseDest",
    "DestPath", "CONFIG_DAT", "SPS_SUB", "IR_STOPM_SRC", "Userfiles", "SourcePath",
};

constexpr ControlLayout kProgressControls[] = {
    {"Information", K::kLabel, "", 120, 240, 5055, 660, ""},
    {"Frame", K::kGroup, "Info", 120, 1080, 5055, 855, ""},
    {"ProgressBar", K::kProgressBar, "", 120, 360, 4815, 375, "Frame"},
};

const FormLayout kSettings{"Settings", 8130, 4980, kSettingsControls, kSettingsFocus};
const FormLayout kProgress{"Upgrade User-Programms", 5265, 2250, kProgressControls, {}};

}  // namespace

const ControlLayout* FormLayout::Find(std::string_view name) const {
  for (const ControlLayout& control : controls)
    if (control.name == name) return &control;
  return nullptr;
}

const FormLayout& SettingsLayout() { return kSettings; }
const FormLayout& ProgressLayout() { return kProgress; }

int TwipsToPixels(int twips, int dpi) {
  // Rounded to the nearest pixel; 1440 twips are one inch.
  long long scaled = static_cast<long long>(twips) * dpi;
  return static_cast<int>(scaled >= 0 ? (scaled + 720) / 1440 : -((-scaled + 720) / 1440));
}

PixelRect ClientRect(const FormLayout& form, const ControlLayout& control, int dpi) {
  int left = control.left;
  int top = control.top;
  for (const ControlLayout* group = form.Find(control.container); group;
       group = form.Find(group->container)) {
    left += group->left;
    top += group->top;
  }
  return {TwipsToPixels(left, dpi), TwipsToPixels(top, dpi), TwipsToPixels(control.width, dpi),
          TwipsToPixels(control.height, dpi)};
}

PixelForm FormAt(const FormLayout& form, int dpi) {
  PixelForm pixels{TwipsToPixels(form.clientWidth, dpi), TwipsToPixels(form.clientHeight, dpi), {}};
  pixels.controls.reserve(form.controls.size());
  for (const ControlLayout& control : form.controls)
    pixels.controls.push_back(ClientRect(form, control, dpi));
  return pixels;
}

PixelForm GrownToHold(const FormLayout& form, int dpi, std::string_view name, int neededHeight) {
  PixelForm pixels = FormAt(form, dpi);
  const ControlLayout* grown = form.Find(name);
  if (!grown) return pixels;
  const auto index = static_cast<std::size_t>(grown - form.controls.data());
  PixelRect& place = pixels.controls[index];
  const int growth = neededHeight - place.height;
  if (growth <= 0) return pixels;
  // Compared in pixels, as the controls stand on the window: a control in a
  // group counts from the group's corner, so it moves with the group.
  const int bottom = place.top + place.height;
  place.height = neededHeight;
  for (std::size_t i = 0; i < pixels.controls.size(); ++i)
    if (i != index && pixels.controls[i].top >= bottom) pixels.controls[i].top += growth;
  pixels.clientHeight += growth;
  return pixels;
}

PixelPoint CentredOnScreen(int screenWidth, int screenHeight, int windowWidth, int windowHeight) {
  return {(screenWidth - windowWidth) / 2, (screenHeight - windowHeight) / 2};
}
