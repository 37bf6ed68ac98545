#!/usr/bin/env bash
# Fails with a plain message when the tool would have no display to open its
# window on: Qt would abort instead (exit 134) with a message about its "xcb"
# plugin that does not say what is missing.
# Usage: scripts/need-display.sh SCRIPT   (the script to suggest under xvfb-run)
set -euo pipefail
# A platform chosen on purpose (offscreen, vnc, ...) needs no display.
case "${QT_QPA_PLATFORM:-}" in
    "" | xcb* | wayland*) ;;
    *) exit 0 ;;
esac
[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo "
cat >&2 <<TEXT
No display: the tool is a desktop program and needs one to show its window
(neither DISPLAY nor WAYLAND_DISPLAY is set). Start it from a terminal of a
desktop session, or over "ssh -X" from a machine that has one.
On a machine without a screen it can run under a virtual one, unseen:
    ${sudo}apt-get install -y xvfb xauth && xvfb-run -a $1
TEXT
exit 1
