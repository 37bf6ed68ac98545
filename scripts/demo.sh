#!/usr/bin/env bash
# Tries the tool without a unit: builds what is missing, starts the emulated
# unit with the sample configuration (UDP on 127.0.0.2 port 2055, and a
# pseudo-terminal linked at /tmp/velmora-unit), starts the tool, and stops the
# emulated unit when the tool exits.
set -euo pipefail
cd "$(dirname "$0")/.."
export VELMORA_QT=5 # whatever the caller set: the demo runs the Qt 5 build in build/
link=/tmp/velmora-unit
sample=samples/hump-yard-north.cfg

scripts/need-display.sh scripts/demo.sh
scripts/build.sh >/dev/null

log=$(mktemp)
build/bin/radio-unit-sim --load "$sample" --pty-link "$link" >"$log" 2>&1 &
sim=$!
trap 'kill "$sim" 2>/dev/null || true; wait "$sim" 2>/dev/null || true; rm -f "$log"' EXIT
for _ in $(seq 50); do
    grep -q '^.* pty link: ' "$log" && break
    kill -0 "$sim" 2>/dev/null || break
    sleep 0.1
done
if ! grep -q 'pty link: ' "$log"; then
    echo "The emulated unit did not start:" >&2
    cat "$log" >&2
    exit 1
fi

cat <<TEXT
The emulated unit runs with the configuration of $sample.
In the tool:
  Connect > Network: type 127.0.0.2 into "IP Address:", then Read, Write or Factory Mode.
  Connect > Serial:  type $link into the port list, then Read, Write or Factory Mode.
The emulated unit logs every request and answer in $log while the tool runs.
Close the tool to end the demo.
TEXT
build/bin/velmora-radio
