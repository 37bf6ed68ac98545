#!/usr/bin/env bash
# Builds and runs every benchmark, one at a time, inside a private network
# namespace with loopback only (where the machine allows one). Each prints its
# figures and its ratio against a floor or a baseline of the same run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
export QT_QPA_PLATFORM=offscreen
cd build
if unshare -rn true 2>/dev/null; then
    exec unshare -rn sh -c 'ip link set lo up && ctest -L bench -V "$@"' sh "$@"
fi
echo "No private network namespace here; benchmarks run on loopback as they are."
exec ctest -L bench -V "$@"
