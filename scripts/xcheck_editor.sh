#!/usr/bin/env bash
# Runs the real-input scenarios of tests/x11 (the code window's keys, the
# find window's search and jump) and keeps their screenshots for a look:
#   OUT/editor_keys_test-SCENARIO-NN-*.png  hot key, a typed line,
#       overwriting
#   OUT/find_hit_test-SCENARIO-NN-*.png     the search box with the focus,
#       the result tree, the hit replaced in another module
#
#   scripts/xcheck_editor.sh [build-dir] [out-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=${2:-/tmp/xcheck-editor}
rm -rf "$out"
mkdir -p "$out"
for scenario in editor_keys find_hit; do
    QV_X11_SHOTS=$(cd "$out" && pwd) bash "tests/x11/${scenario}_test.sh" "$build"
done
ls "$out"/*.png
