#!/usr/bin/env bash
# Remakes the README's pictures under docs/: the station's main window and preview on the demo
# directory (scripts/demo.sh), run offscreen, and the simulator's snapshot after the demo's first
# screen was sent to it. Run it after a change to the windows; it builds what it needs first.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${PELVORO_BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target pelvoro-cli pelvoro-sim pelvoro-screenshot
PELVORO_BUILD_DIR=$build PELVORO_DEMO_DIR=${PELVORO_DEMO_DIR:-$build/demo-screenshots} \
  bash scripts/demo.sh --screenshots docs
