#!/usr/bin/env bash
# Configures and builds Corvel into a build folder.
#   scripts/build.sh [BUILD_DIR] [extra cmake options...]
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${1:-build}
shift || true
generator=()
if command -v ninja >/dev/null; then
    generator=(-G Ninja)
fi
if [ ! -f "$build_dir/CMakeCache.txt" ]; then
    cmake -S . -B "$build_dir" "${generator[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
else
    cmake -S . -B "$build_dir" "$@" >/dev/null
fi
cmake --build "$build_dir" --parallel "$(nproc)"
