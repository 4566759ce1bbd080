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
  // Where set: edits line in place after the prompt; false at the end of
  // input. Without it a path is typed anew.
  std::function<bool(const std::string& prompt, std::string& line)> EditLine{};
  // Where set: drops keys typed ahead of a prompt, which were meant for
  // nothing the user could see.
  std::function<void()> DropTypeAhead{};
  // Where set: the echo of keys, off while a run works.
  std::function<void(bool on)> Echo{};
  // Where set: the summary of the run just ended, shown after it.
  std::function<std::string()> Summary{};
};

// The process's own terminal: lines from standard input, text to standard
// output, the path edited in place where standard input is a terminal.
Console TerminalConsole();

// The text of the form for the dialog's state.
std::string DialogForm(const MainDialog& dialog);

// A message box on the terminal: title, icon and text, then it waits for
// Enter as the box waits for OK.
void ShowConsoleMessage(const Console& console, const std::string& text, MessageIcon icon);

// Shows the dialog and handles its choices until Exit or the end of input.
// Message boxes of the dialog and of the runs go to the console too.
// Returns the exit code of the process.
int RunTerminalDialog(Context& context, const Console& console);
