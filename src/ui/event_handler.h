#pragma once
// Event handlers of the windows. A handler may end the process at once
// (Exit, or a run whose log cannot be created); that end, like any other
// exception, must never unwind through the window system's code that called
// the window procedure. The view runs each handler through RunHandler, and
// on an end it posts the exit code and leaves its message loop, which then
// returns the code to the entry.

#include <functional>
#include <optional>

// Runs the handler. Returns the exit code when it ended the process, and 1
// when it failed in a way nobody caught, since the state it left is then
// unknown; otherwise nothing.
std::optional<int> RunHandler(const std::function<void()>& handler);
