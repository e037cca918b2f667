#!/usr/bin/env bash
# Takes the README's screenshots: builds the calculator, starts it on a private Xvfb display,
# types a flowrate of 30 l/s, solves, opens the report and saves both windows in docs/.
#   scripts/screenshots.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${1:-build}
scripts/deps.sh
scripts/build.sh "$build_dir" >/dev/null
python3 tests/e2e/corvel_e2e.py screenshots --corvel "$build_dir/src/app/corvel" --artefacts docs
# Keep only the pictures; the run's logs stay out of the tree.
rm -f docs/corvel-run*.log docs/xvfb.log
