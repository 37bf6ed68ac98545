#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (scripts/ctest.sh
# says how: the tests that send datagrams run in a private network namespace).
# With Qt 5, or with Qt 6 when VELMORA_QT=6 (see scripts/build.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
build=build
[ "${VELMORA_QT:-5}" = 5 ] || build=build-qt$VELMORA_QT
scripts/ctest.sh "$build"
