#!/usr/bin/env bash
# Builds and runs every benchmark, one at a time, inside a private network
# namespace with loopback only (scripts/netns.sh). Each prints its figures
# and its ratio against a floor or a baseline of the same run.
set -euo pipefail
cd "$(dirname "$0")/.."
export VELMORA_QT=5 # whatever the caller set: the benchmarks run the Qt 5 build in build/
scripts/build.sh
export QT_QPA_PLATFORM=offscreen
cd build
exec ../scripts/netns.sh ctest -L bench -V "$@"
