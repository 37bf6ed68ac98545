#!/usr/bin/env bash
# Starts the tool under Xvfb and saves a screenshot of its window.
# Usage: scripts/screenshot.sh [output.png] [tab index]
set -euo pipefail
cd "$(dirname "$0")/.."
out=${1:-docs/main-window.png}
mkdir -p "$(dirname "$out")"
scripts/deps.sh xvfb xauth imagemagick
scripts/build.sh >/dev/null
display=:$(( 90 + RANDOM % 100 ))
Xvfb "$display" -screen 0 800x600x24 >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done
DISPLAY=$display QT_QPA_PLATFORM=xcb timeout 20 build/bin/velmora-radio &
app=$!
sleep 3
DISPLAY=$display import -window root -crop 650x400+0+0 +repage "$out"
kill $app 2>/dev/null || true
echo "$out"
