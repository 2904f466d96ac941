#!/usr/bin/env bash
# Times `qvaddin check --format sarif` against the plain check, with the
# peak memory of each: on generated projects of 100k, 250k and 1M lines
# (70% of the routines without a handler, each of which gets a fix: the add
# command run on the routine and undone), and on one module of 1,000, 5,000
# and 20,000 routines, none with a handler. A log that costs more than a few
# times the plain check in either shows work that grows with the module
# for every fix.
#
# Usage: bench/bench_sarif.sh [BUILD_DIR] [QVADDIN]
#        (default: build, and the qvaddin of that build)
#        QV_BENCH_SARIF_LINES and QV_BENCH_SARIF_ROUTINES choose the sizes
#        ("1000000" and "20000" for the two that matter most).
#
# Columns: wall-clock seconds (user + system CPU in brackets) and peak
# resident memory (MB) of check and of check --format sarif, their ratios,
# the results and fixes of the log, and its size (MB).
set -euo pipefail

source "$(dirname "$0")/bench_common.sh" "${1:-build}" bench_sarif
[[ -n ${2:-} ]] && qvaddin=$2
accepted_codes=" 0 1 "  # 1: findings

# Peak resident memory (MB) of a command, from /usr/bin/time.
peak() {
    /usr/bin/time -f '%M' -o "$work/time" "$@" > /dev/null 2>&1 || true
    tail -n 1 "$work/time" > "$work/peak"  # after "Command exited with ..."
    awk '{ printf "%6.0f", $1 / 1024 }' "$work/peak"
}

# One row: the target $2 under the label $1.
row() {
    local label=$1 target=$2
    printf '%14s  ' "$label"
    timed "$qvaddin" check "$target"
    local plain
    plain=$(cat "$work/wall")
    printf ' %s  ' "$(peak "$qvaddin" check "$target")"
    local plain_mb
    plain_mb=$(awk '{ print $1 / 1024 }' "$work/peak")
    timed "$qvaddin" --format sarif check "$target"
    local sarif
    sarif=$(cat "$work/wall")
    printf ' %s' "$(peak "$qvaddin" --format sarif check "$target")"
    awk -v a="$sarif" -v b="$plain" -v m="$(awk '{ print $1 / 1024 }' "$work/peak")" -v n="$plain_mb" \
        'BEGIN { printf "  %5.1fx %5.1fx", (b > 0) ? a / b : 0, (n > 0) ? m / n : 0 }'
    "$qvaddin" --format sarif check "$target" > "$work/log.sarif" 2> /dev/null || true
    results=$(grep -o '"ruleId"' "$work/log.sarif" | wc -l)
    fixes=$(grep -o '"artifactChanges"' "$work/log.sarif" | wc -l)
    size=$(awk -v b="$(stat -c %s "$work/log.sarif")" 'BEGIN { printf "%.1f", b / 1048576 }')
    printf '  %7s  %7s  %6s\n' "$results" "$fixes" "$size"
}

printf '%14s  %16s %6s  %16s %6s  %6s %6s  %7s  %7s  %6s\n' target check MB sarif MB time mem \
    results fixes "log MB"
for lines in ${QV_BENCH_SARIF_LINES:-100000 250000 1000000}; do
    dir=$work/p$lines
    "$gen" --out "$dir" --lines "$lines" > /dev/null
    row "$lines lines" "$dir/Bench.vbp"
    rm -rf "$dir"
done
for routines in ${QV_BENCH_SARIF_ROUTINES:-1000 5000 20000}; do
    big_module "$routines" > "$work/modBig.bas"
    row "$routines routines" "$work/modBig.bas"
done
