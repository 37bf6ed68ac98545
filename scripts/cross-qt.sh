#!/usr/bin/env bash
# Checks data files across the Qt 5 and the Qt 6 build, both ways, with
# tst_mainwindow's crossVersion in a shared folder: Qt 5 saves the sample
# configuration there; Qt 6 saves it too, then loads Qt 5's file and saves it
# again, byte for byte the same; Qt 5 then does the same with Qt 6's file.
# Builds both (scripts/build.sh) when they are not built yet.
set -euo pipefail
cd "$(dirname "$0")/.."
VELMORA_QT=5 scripts/build.sh
VELMORA_QT=6 scripts/build.sh
shared=$(mktemp -d)
trap 'rm -rf "$shared"' EXIT
export QT_QPA_PLATFORM=offscreen VELMORA_CROSS_DIR=$shared

# Runs crossVersion of one build; it must end as expected: SKIP while the
# other build's file is not there yet, PASS once it has been compared.
run() {
    local out
    out=$("$1/bin/tst_mainwindow" crossVersion 2>&1) || { echo "$out" >&2; exit 1; }
    if ! grep -q "^$2 *: TestMainWindow::crossVersion()" <<<"$out"; then
        echo "$out" >&2
        echo "$1: crossVersion did not $2" >&2
        exit 1
    fi
    echo "$1: $2"
}
run build SKIP
run build-qt6 PASS
run build PASS
# The same sample, saved through each build's window, is the same file.
cmp "$shared/qt5.cfg" "$shared/qt6.cfg"
echo "Qt 5 and Qt 6 files are the same ($(stat -c %s "$shared/qt5.cfg") bytes); each loads and saves unchanged in the other"
