#!/usr/bin/env bash
# Installs what is missing, builds, and starts the configuration tool, with
# Qt 5, or with Qt 6 when VELMORA_QT=6 (see scripts/build.sh). Without a
# display it says so first, before installing or building anything.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/need-display.sh scripts/run.sh
scripts/build.sh
build=build
[ "${VELMORA_QT:-5}" = 5 ] || build=build-qt$VELMORA_QT
exec "$build/bin/velmora-radio" "$@"
