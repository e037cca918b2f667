#!/usr/bin/env bash
# Takes the README's screenshots: builds the calculator, starts it on a private Xvfb display,
# types a flowrate of 30 l/s, solves, opens the report and saves both windows in docs/; then
# shows the pipe run with four elbows counted in the fittings editor and saves that window too.
#   scripts/screenshots.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${1:-build}
scripts/deps.sh
scripts/build.sh "$build_dir" >/dev/null
python3 tests/e2e/corvel_e2e.py screenshots --corvel "$build_dir/src/app/corvel" --artefacts docs
run_dir=$(mktemp -d)
trap 'rm -rf "$run_dir"' EXIT
python3 tests/e2e/pipe_run_e2e.py elbows-from-the-editor --corvel "$build_dir/src/app/corvel" \
    --artefacts "$run_dir"
cp "$run_dir/pipe-run-editor.png" docs/pipe-run.png
cp "$run_dir/fittings-editor.png" docs/fittings-editor.png
# Keep only the pictures; the run's logs stay out of the tree.
rm -f docs/corvel-run*.log docs/xvfb.log
