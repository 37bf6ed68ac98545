#!/usr/bin/env bash
# Builds and runs every benchmark, one at a time, inside a private network
# namespace with loopback only (scripts/netns.sh). Each prints its figures
# and its ratio against a floor or a baseline of the same run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
export QT_QPA_PLATFORM=offscreen
cd build
exec ../scripts/netns.sh ctest -L bench -V "$@"
