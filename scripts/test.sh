#!/usr/bin/env bash
# Builds Corvel with every test and runs them all (installing what they need).
#   scripts/test.sh              the normal build, in build/
#   scripts/test.sh --sanitize   with AddressSanitizer and UndefinedBehaviorSanitizer, in build-asan/
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh

build_dir=build
options=(-DCORVEL_BUILD_TESTS=ON -DCORVEL_BUILD_BENCH=ON)
if [ "${1:-}" = "--sanitize" ]; then
    build_dir=build-asan
    options=(-DCORVEL_BUILD_TESTS=ON -DCORVEL_BUILD_BENCH=OFF -DCORVEL_SANITIZE=ON)
    # Any sanitizer report fails the test that caused it.
    export ASAN_OPTIONS=abort_on_error=1:detect_leaks=1:strict_string_checks=1
    export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
    export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp
fi

scripts/build.sh "$build_dir" "${options[@]}"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build_dir" --output-on-failure --parallel "$(nproc)"
