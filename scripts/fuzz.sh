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
    log=build-fuzz/$name.log
    if ! "$target" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix=build-fuzz/ \
        "$corpus" fuzz/seeds/"$name" >"$log" 2>&1; then
        grep -v '^#' "$log" | tail -n 40
        echo "$name found a failure"
        exit 1
    fi
    tail -n 3 "$log"
done
