#!/usr/bin/env bash
# Builds the whole suite with AddressSanitizer and UndefinedBehaviorSanitizer
# (build-asan/) and runs it, halting on the first report; then runs the serial
# link's tests, the only ones with a thread of ours, under ThreadSanitizer
# (build-tsan/). Reports from inside Qt itself are suppressed in
# tests/lsan.supp and tests/tsan.supp, each with its reason.
set -euo pipefail
cd "$(dirname "$0")/.."
export VELMORA_QT=5 # whatever the caller set: the sanitizer runs are Qt 5's
scripts/deps.sh
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_SANITIZE=ON >/dev/null
cmake --build build-asan
# Qt is built without frame pointers: only the slow unwinder sees through it
# to the frames a suppression names.
export ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:fast_unwind_on_malloc=0
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
scripts/ctest.sh build-asan

cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_TSAN=ON >/dev/null
cmake --build build-tsan --target tst_dialog
scripts/ctest.sh build-tsan -R '^tst_dialog$'
