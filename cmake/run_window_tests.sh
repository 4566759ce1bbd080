#!/bin/sh
# Runs the window tests under wine on a display without a window manager:
#   run_window_tests.sh WINE-RUN TEST-PROGRAM [ARGUMENTS]
# Wine waits up to two seconds for a window manager whenever a window it
# lets one manage is hidden or destroyed; unmanaged windows end at once,
# and they stand exactly where the program put them.
wine_run=$1
shift
"$wine_run" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
exec "$wine_run" "$@"
