#pragma once
// The progress window shown as one updating line on a terminal.

#include <cstddef>
#include <string>

class ProgressWindow;

// The line for the window's state on a terminal of the given width: a bar,
// the count of the stage's files where it has one ("812/2000"), and the
// stage text, shortened in its middle so that the file name at its end
// shows. The line stays below the width, so that it never wraps.
std::string ProgressLine(const ProgressWindow& window, int columns);

// Shortens text to at most room characters by putting "..." in its
// middle; the part after the last backslash is kept whole where it fits.
std::string ShortenInTheMiddle(const std::string& text, std::size_t room);

// Shows the window on standard error when that is a terminal; elsewhere
// nothing is shown, so that no progress text reaches files or pipes.
void AttachTerminalProgress(ProgressWindow& window);
