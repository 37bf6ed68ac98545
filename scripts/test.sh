#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
# Tests labelled "network" send datagrams; they run inside a private network
# namespace with only loopback, so that nothing can leave the machine, and one
# at a time, since several bind the tool's port. Benchmarks are not tests:
# scripts/bench.sh runs them.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
export QT_QPA_PLATFORM=offscreen
cd build
ctest --output-on-failure -j2 -LE 'network|bench'
if [ -n "$(ctest -N -L network -LE bench | grep -E '^ *Test +#')" ]; then
    if unshare -rn true 2>/dev/null; then
        unshare -rn sh -c 'ip link set lo up && ctest --output-on-failure -L network -LE bench'
    else
        echo "No private network namespace here; network tests run on loopback as they are."
        ctest --output-on-failure -L network -LE bench
    fi
fi
