#!/usr/bin/env bash
# Installs what is missing, builds, and starts the configuration tool, with
# Qt 5, or with Qt 6 when VELMORA_QT=6 (see scripts/build.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
build=build
[ "${VELMORA_QT:-5}" = 5 ] || build=build-qt$VELMORA_QT
exec "$build/bin/velmora-radio" "$@"
