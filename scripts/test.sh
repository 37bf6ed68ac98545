#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (scripts/ctest.sh
# says how: the tests that send datagrams run in a private network namespace).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
scripts/ctest.sh build
