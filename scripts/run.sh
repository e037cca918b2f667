#!/usr/bin/env bash
# Builds the calculator (installing what it needs) and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh --runtime
scripts/build.sh build -DCORVEL_BUILD_TESTS=OFF -DCORVEL_BUILD_BENCH=OFF
exec build/src/app/corvel "$@"
