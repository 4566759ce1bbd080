#pragma once
// The progress window shown as one updating line on a terminal.

#include <string>

class ProgressWindow;

// The line for the window's state: stage text and a bar of width cells.
std::string ProgressLine(const ProgressWindow& window, int width);

// Shows the window on standard error when that is a terminal; elsewhere
// nothing is shown, so that no progress text reaches files or pipes.
void AttachTerminalProgress(ProgressWindow& window);
