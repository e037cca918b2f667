#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each one for a short while.
#   scripts/fuzz.sh [SECONDS_PER_TARGET]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-20}
scripts/deps.sh
scripts/build.sh build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCORVEL_BUILD_FUZZ=ON \
    -DCORVEL_BUILD_GUI=OFF -DCORVEL_BUILD_TESTS=OFF -DCORVEL_BUILD_BENCH=OFF

export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
for target in build-fuzz/fuzz/fuzz_*; do
    [ -x "$target" ] || continue
    name=$(basename "$target")
    corpus=build-fuzz/corpus/$name
    mkdir -p "$corpus"
    echo "== $name"
    "$target" -max_total_time="$seconds" -print_final_stats=1 "$corpus" fuzz/seeds/"$name" 2>&1 \
        | tail -n 3
    [ "${PIPESTATUS[0]}" -eq 0 ] || { echo "$name found a failure"; exit 1; }
done
