#pragma once
// The settings dialog on a terminal: the same MainDialog state, shown as a
// numbered form and driven by typed lines, for hosts without a window system.

#include <functional>
#include <string>

#include "core/context.h"

// The terminal the dialog talks through.
struct Console {
  // One typed line without its line end; false at the end of input.
  std::function<bool(std::string& line)> ReadLine;
  std::function<void(const std::string& text)> Write;
};

// The text of the form for the dialog's state.
std::string DialogForm(const MainDialog& dialog);

// A message box on the terminal: title, icon and text, then it waits for
// Enter as the box waits for OK.
void ShowConsoleMessage(const Console& console, const std::string& text, MessageIcon icon);

// Shows the dialog and handles its choices until Exit or the end of input.
// Message boxes of the dialog and of the runs go to the console too.
// Returns the exit code of the process.
int RunTerminalDialog(Context& context, const Console& console);
