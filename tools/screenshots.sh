#!/bin/sh
# Takes pictures of the two windows of the Windows program, run under wine
# in a virtual X server: the settings dialog as it starts, and the progress
# window in the middle of a run over a generated installation, at 96 and at
# 144 dots per inch (150 %).
#   tools/screenshots.sh [BUILD-FOLDER]   (default: build-windows)
# Writes docs/screenshots/settings.png, progress.png, settings-144dpi.png
# and progress-144dpi.png.
set -eu
wine=${VANTREL_WINE_LOADER:-/usr/lib/wine/wine64}

here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build-windows}
bin=$build/bin
out=$here/docs/screenshots
work=$(mktemp -d)
wm= xserver=
trap 'kill $wm $xserver 2>/dev/null || true; WINEPREFIX=$work/prefix "$(dirname "$wine")/wineserver" -k 2>/dev/null || true; rm -rf "$work"' EXIT
mkdir -p "$out"

# A display of its own, with a window manager to draw the frames.
display=:$((90 + $$ % 100))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xserver=$!
export DISPLAY=$display
sleep 2
openbox >/dev/null 2>&1 &
wm=$!

# A fresh wine prefix with the fonts the windows use.
export WINEPREFIX=$work/prefix WINEDEBUG=-all
"$wine" wineboot -i >/dev/null 2>&1
mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
cp /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
drive=$WINEPREFIX/drive_c

# Pictures of one window, cut out of the screen by its title.
shoot() {
  title=$1 file=$2 settle=${3:-1}
  for _ in $(seq 1 60); do
    if xwininfo -name "$title" >/dev/null 2>&1; then break; fi
    sleep 0.5
  done
  sleep "$settle"
  id=$(xwininfo -name "$title" | awk '/Window id:/ {print $4}')
  # With the window manager's frame: the caption and the close box.
  import -frame -window "$id" "$out/$file"
}

# A generated installation, large enough that the run lasts.
g++ -std=c++20 -O1 -o "$work/make_installation" "$here/bench/make_installation.cpp"
"$work/make_installation" "$drive" 400 >/dev/null
cp -r "$bin" "$drive/PROG"

# Both windows at the display's present size; suffix names the pictures.
pictures() {
  suffix=$1
  "$wine" "$drive/PROG/vantrel.exe" >/dev/null 2>&1 &
  dialog=$!
  shoot Settings "settings$suffix.png"
  kill $dialog 2>/dev/null || true

  "$wine" "$drive/PROG/vantrel.exe" 'C:\QVD_OLDINST\QVD\R1|C:\QVD\ROBOTER\QVD\R1' >/dev/null 2>&1 &
  batch=$!
  # Into the user files, where the bar has come some way.
  shoot "Upgrade R1 files" "progress$suffix.png" 8
  # The picture is taken; the rest of the run is not needed.
  kill $batch 2>/dev/null || true
  "$(dirname "$wine")/wineserver" -k 2>/dev/null || true
  "$(dirname "$wine")/wineserver" -w 2>/dev/null || true
}

pictures ""
# Each run starts from the generated installation anew.
rm -rf "$drive/QVD" "$drive/QVD_OLDINST"
"$work/make_installation" "$drive" 400 >/dev/null
"$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
"$(dirname "$wine")/wineserver" -w 2>/dev/null || true
pictures -144dpi
echo "pictures in $out"
