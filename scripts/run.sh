#!/usr/bin/env bash
# Starts quenlox.exe under Wine on the Wine desktop. With DISPLAY set it runs on the user's
# display; without one it runs on a private virtual X server, writes a screenshot of the desktop
# with the icon's left-click menu open, prints its path, and keeps running until interrupted.
set -u
build=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../tests/wine/wine_env.sh"
template=$build/wine-template
wine_template "$template" || { echo "could not make the Wine prefix" >&2; exit 1; }
exe=$build/quenlox.exe

if [ -n "${DISPLAY:-}" ]; then
  # The user's own prefix, with the one-desktop setting of the test bed.
  export WINEPREFIX=${WINEPREFIX:-$build/wine-run} WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  [ -d "$WINEPREFIX" ] || cp -a "$template" "$WINEPREFIX"
  exec wine "$(winepath -w "$exe")"
fi

wine_session "$template" || exit 1
wine "$(winepath -w "$exe")" >/dev/null 2>&1 &
shot=$build/screenshots/run-left-click-menu.png
mkdir -p "$(dirname "$shot")"
# The icon sits at the right end of the taskbar; a left click there opens the menu. Two of its
# pixels, black and blue: an X screen without the Wine desktop yet is all black.
frame=$_WINE_SESSION_DIR/frame.ppm
pixel() { convert "$frame" -crop "1x1+$1+$2" -format '%[hex:p{0,0}]' info: 2>/dev/null; }
icon_shown() {
  import -window root -depth 8 "$frame" 2>/dev/null &&
    [ "$(pixel 1007 751)" = "000000" ] && [ "$(pixel 1009 753)" = "0000FF" ]
}
# A first start of the Wine desktop can take a minute on a busy machine.
for i in $(seq 1 360); do
  icon_shown && break
  sleep 0.5
done
if ! icon_shown; then
  import -window root "$shot"
  echo "The icon did not appear within three minutes. Screenshot of the desktop: $shot" >&2
  exit 1
fi
xdotool mousemove 1014 758 click 1
sleep 1
import -window root "$shot"
echo "Quenlox Popup Software is running on a private display ($DISPLAY)."
echo "Screenshot of the desktop with the left-click menu open: $shot"
echo "Press Ctrl+C to stop."
while true; do sleep 3600; done
