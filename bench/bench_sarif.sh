#!/usr/bin/env bash
# Times `qvaddin check --format sarif` against the plain check on generated
# projects of 100k, 250k and 1M lines (70% of the routines without a handler,
# each of which gets a fix: the add command run on the module and undone).
#
# Usage: bench/bench_sarif.sh [BUILD_DIR]      (default: build)
#
# Columns: wall-clock seconds (user + system CPU in brackets) of check, of
# check --format sarif, the results and fixes of the log, and its size.
set -euo pipefail

source "$(dirname "$0")/bench_common.sh" "${1:-build}" bench_sarif
accepted_codes=" 0 1 "  # 1: findings

printf '%10s  %16s  %16s  %8s  %8s  %8s\n' lines check sarif results fixes MB
for lines in 100000 250000 1000000; do
    dir=$work/p$lines
    "$gen" --out "$dir" --lines "$lines" > /dev/null
    printf '%10s  ' "$lines"
    timed "$qvaddin" check "$dir/Bench.vbp"
    printf '  '
    timed "$qvaddin" --format sarif check "$dir/Bench.vbp"
    "$qvaddin" --format sarif check "$dir/Bench.vbp" > "$work/log.sarif" || true
    results=$(grep -c '"ruleId"' "$work/log.sarif" || true)
    fixes=$(grep -c '"artifactChanges"' "$work/log.sarif" || true)
    size=$(awk -v b="$(stat -c %s "$work/log.sarif")" 'BEGIN { printf "%.1f", b / 1048576 }')
    printf '  %8s  %8s  %8s\n' "$results" "$fixes" "$size"
    rm -rf "$dir"
done
