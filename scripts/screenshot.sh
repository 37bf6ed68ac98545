#!/usr/bin/env bash
# Takes the README's screenshots from the real program under Xvfb: the four
# tabs with the sample configuration loaded, and both connection dialogs after
# a Read from the emulated unit. Everything runs in a private network
# namespace, so the tool can only reach the emulated unit on loopback.
# Usage: scripts/screenshot.sh [output folder, default docs]
set -euo pipefail
cd "$(dirname "$0")/.."
export VELMORA_QT=5 # whatever the caller set: the screenshots show the Qt 5 build in build/
out=$(realpath -m "${1:-docs}")
mkdir -p "$out"
scripts/deps.sh xvfb xauth imagemagick xdotool
scripts/build.sh >/dev/null
[ -n "${VELMORA_IN_NAMESPACE:-}" ] || exec scripts/netns.sh "$0" "$out"

export DISPLAY=:$(( 90 + RANDOM % 100 ))
Xvfb "$DISPLAY" -screen 0 1024x768x24 >/dev/null 2>&1 &
pids=$!
link=$(mktemp -u /tmp/unitXXXX)
trap 'kill $pids 2>/dev/null || true; rm -f "$link"' EXIT
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${DISPLAY#:}" ] && break; sleep 0.1; done
build/bin/radio-unit-sim --load samples/hump-yard-north.cfg --pty-link "$link" >/dev/null &
pids="$pids $!"
QT_QPA_PLATFORM=xcb timeout 120 build/bin/velmora-radio &
pids="$pids $!"

window() { # the id of the first window with this exact title, waiting for it
    for _ in $(seq 50); do
        id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1) && [ -n "$id" ] && { echo "$id"; return; }
        sleep 0.1
    done
    echo "no window titled $1" >&2
    exit 1
}
shot() { import -window "$1" "$out/$2.png"; echo "$out/$2.png"; }
# Keys for one window: without a window manager, nothing else gives it focus.
keys() { xdotool windowfocus --sync "$1"; shift; xdotool key --delay 60 "$@"; sleep 0.5; }
type() { xdotool windowfocus --sync "$1"; xdotool type --delay 5 "$2"; sleep 0.3; }

main=$(window "Tarvo Radio II Configuration Tool")
sleep 1
keys "$main" ctrl+o
files=$(window "Open.*")
type "$files" "$PWD/samples/hump-yard-north.cfg"
keys "$files" Return
for tab in general network-info home-channels optional-features; do
    shot "$main" "tab-$tab"
    keys "$main" ctrl+Tab
done

# Connect > Network: the address of the emulated unit, then Read.
keys "$main" alt+c Down Return
dialog=$(window "Network Interface")
keys "$dialog" ctrl+a
type "$dialog" 127.0.0.2
keys "$dialog" Tab space
sleep 3
shot "$dialog" dialog-network
keys "$dialog" Escape

# Connect > Serial: the emulated unit's pseudo-terminal typed into the list.
keys "$main" alt+c Return
dialog=$(window "Serial Interface")
keys "$dialog" ctrl+a
type "$dialog" "$link"
keys "$dialog" Tab space
sleep 12
shot "$dialog" dialog-serial
