#!/usr/bin/env bash
# Builds and runs every benchmark, one at a time, inside a private network
# namespace with loopback only (where the machine allows one). Each prints its
# figures and its ratio against a floor or a baseline of the same run.
set -euo pipefail
cd "$(dirname "$0")/.."
export VELMORA_QT=5 # whatever the caller set: the benchmarks run the Qt 5 build in build/
scripts/build.sh
export QT_QPA_PLATFORM=offscreen
cd build
if unshare -rn true 2>/dev/null; then
    exec unshare -rn sh -c 'ip link set lo up && ctest -L bench -V "$@"' sh "$@"
fi
echo "No private network namespace here; benchmarks run on loopback as they are."
exec ctest -L bench -V "$@"
