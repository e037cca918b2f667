#!/usr/bin/env bash
# Fails when a tracked C++ source differs from what .clang-format makes of it.
#   scripts/format-check.sh          check only, naming the files that differ
#   scripts/format-check.sh --fix    reformat them in place
set -euo pipefail
cd "$(dirname "$0")/.."

mapfile -t sources < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--fix" ]; then
    clang-format -i "${sources[@]}"
    exit 0
fi
clang-format --dry-run --Werror "${sources[@]}"
echo "Formatting: ${#sources[@]} files as .clang-format has them."
