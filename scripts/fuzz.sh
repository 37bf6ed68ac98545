#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and UBSan) and runs
# each from its committed seed corpus for SECONDS (default 60). New inputs go
# to a scratch folder; a crash is saved into the target's corpus, where every
# later run replays it first.
# Usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
export VELMORA_QT=5 # whatever the caller set: the fuzz targets are run with Qt 5
seconds=${1:-60}
scripts/deps.sh clang libclang-rt-14-dev
cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DVELMORA_FUZZ=ON \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz --target fuzz_datafile fuzz_answers
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
status=0
for target in datafile answers; do
    mkdir -p "$scratch/$target"
    # 2 KiB hold the header, every general field and the first rows of the
    # table; the other cells only repeat one path and make every run slower.
    if ! build-fuzz/bin/fuzz_$target -max_total_time="$seconds" -max_len=2048 -print_final_stats=1 \
        -artifact_prefix="fuzz/corpus/$target/" "$scratch/$target" "fuzz/corpus/$target" \
        >"$scratch/$target.log" 2>&1; then
        tail -n 40 "$scratch/$target.log" >&2
        echo "fuzz_$target failed; the input that did it is in fuzz/corpus/$target/crash-*" >&2
        status=1
    fi
    grep -E 'DONE|average_exec_per_sec' "$scratch/$target.log" | sed "s/^/fuzz_$target: /"
done
exit $status
