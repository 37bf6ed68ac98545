#!/usr/bin/env bash
# Runs the tests of one build folder: first those that send no datagram, two
# at a time; then, one at a time, those labelled "network", inside a private
# network namespace (scripts/netns.sh), so that nothing can leave the machine
# (several bind the tool's port). Benchmarks are never run here.
# Usage: scripts/ctest.sh BUILD_DIR [more ctest options, e.g. -R tst_dialog]
set -euo pipefail
netns=$(dirname "$(realpath "$0")")/netns.sh
cd "$1"
shift
export QT_QPA_PLATFORM=offscreen
ctest --output-on-failure -j2 -LE 'network|bench' "$@"
if [ -n "$(ctest -N -L network -LE bench "$@" | grep -E '^ *Test +#')" ]; then
    "$netns" ctest --output-on-failure -L network -LE bench "$@"
fi
