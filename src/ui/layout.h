#pragma once
// The build of the two windows as their designer laid them out: every
// control's kind, caption and place in twips, and the dialog's keyboard
// focus order. A view creates its real controls from these tables, so that
// every front-end shows the same windows.

#include <span>
#include <string_view>
#include <vector>

enum class ControlKind { kGroup, kLabel, kTextBox, kButton, kCheckBox, kProgressBar };

struct ControlLayout {
  std::string_view name;
  ControlKind kind;
  std::string_view caption;  // the default text of a text box
  int left, top, width, height;  // twips, from the corner of the container
  std::string_view container;    // the group the control lies in; empty: the window
};

struct FormLayout {
  std::string_view caption;
  int clientWidth, clientHeight;  // twips
  std::span<const ControlLayout> controls;
  std::span<const std::string_view> focusOrder;  // names, first to last

  // The control of that name; nullptr when there is none.
  const ControlLayout* Find(std::string_view name) const;
};

// The settings dialog (MainDialog) and the progress window (ProgressWindow).
const FormLayout& SettingsLayout();
const FormLayout& ProgressLayout();

struct PixelRect {
  int left, top, width, height;
  bool operator==(const PixelRect&) const = default;
};

// 15 twips make one pixel at 96 dots per inch; more dots, more pixels.
int TwipsToPixels(int twips, int dpi);
// The control's place on the window's client area, in pixels: a control
// inside a group counts from the group's corner.
PixelRect ClientRect(const FormLayout& form, const ControlLayout& control, int dpi);

// A window's client size and its controls' places in pixels, in the order
// of its table.
struct PixelForm {
  int clientWidth, clientHeight;
  std::vector<PixelRect> controls;
  bool operator==(const PixelForm&) const = default;
};
// The form at dpi dots per inch as its table has it.
PixelForm FormAt(const FormLayout& form, int dpi);
// The form at dpi once the named control is neededHeight pixels tall, where
// that is more than its place: what lies wholly below the control moves
// down by what it grew, and so does the window's bottom, so that a wrapped
// text is shown whole while a text that fits leaves the form as designed.
PixelForm GrownToHold(const FormLayout& form, int dpi, std::string_view name, int neededHeight);

struct PixelPoint {
  int left, top;
  bool operator==(const PixelPoint&) const = default;
};
// Where a window of the given outer size stands when it is centred on the
// screen (the load step of both windows).
PixelPoint CentredOnScreen(int screenWidth, int screenHeight, int windowWidth, int windowHeight);
