#!/usr/bin/env bash
# Installs what is missing, builds, and starts the configuration tool. Without
# a display it says so first, before installing or building anything.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/need-display.sh scripts/run.sh
scripts/build.sh
exec build/bin/velmora-radio "$@"
