#!/usr/bin/env bash
# Takes the screenshot the AppStream metainfo refers to (main-window.png): the main window
# against the simulated reader, after a few commands, on a virtual display. Needs a build
# (build/app/rfid-workbench) and the Debian packages xvfb, xauth, xdotool, x11-utils and
# imagemagick.
#   bash packaging/screenshots/take.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
out=packaging/screenshots/main-window.png
if [ -z "${RFID_SCREENSHOT_DISPLAY:-}" ]; then
  exec env RFID_SCREENSHOT_DISPLAY=1 xvfb-run -a -s "-screen 0 1280x800x24" bash "$0" "$build"
fi
unset QT_QPA_PLATFORM
# The window as it first starts: not the look, position or pages the user's settings keep.
home=$(mktemp -d)
export XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data"
"$build/app/rfid-workbench" --simulate &
app=$!
trap 'kill $app 2>/dev/null || true; rm -rf "$home"' EXIT
# Wait for the main window, then press Set, Read and Version number on the first page.
for _ in $(seq 50); do
  win=$(xdotool search --name '^Format output' 2>/dev/null | head -1) && [ -n "$win" ] && break
  sleep 0.2
done
[ -n "${win:-}" ] || { echo "the main window did not appear" >&2; exit 1; }
sleep 1
for xy in "75 480" "204 480" "204 507"; do
  read -r x y <<<"$xy"
  xdotool mousemove --window "$win" "$x" "$y" click 1
  sleep 0.8
done
geometry=$(xwininfo -id "$win" | awk '/Width:/ {w=$2} /Height:/ {h=$2} /Absolute upper-left X:/ {x=$4} /Absolute upper-left Y:/ {y=$4} END {print w "x" h "+" x "+" y}')
import -window root -crop "$geometry" +repage "$out"
echo "$out: $(identify -format '%wx%h' "$out")"
