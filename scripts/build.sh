#!/usr/bin/env bash
# Configures and builds with Qt 5 into build/, or with Qt 6 into build-qt6/
# when VELMORA_QT=6 (binaries in bin/ there).
set -euo pipefail
cd "$(dirname "$0")/.."
"$PWD/scripts/deps.sh"
qt=${VELMORA_QT:-5}
build=build
[ "$qt" = 5 ] || build=build-qt$qt
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_QT="$qt" "$@" >/dev/null
cmake --build "$build"
