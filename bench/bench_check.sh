#!/usr/bin/env bash
# Times `qvaddin check` of every module on generated projects of 250k, 500k
# and 1M lines.
#
# Usage: bench/bench_check.sh [BUILD_DIR]      (default: build)
#
# For each size it generates a project with qvaddin-bench-gen, then times:
#   check     check of every module with the default templates: the
#             generated handlers use another error label, so they read SOME
#   judged    the same with the error label set to the generated one, so
#             that every handler is compared line by line with the templates
#             in both modes (the slowest path of the status check)
#   routines  as judged, with every routine's status words listed
# Times are wall-clock seconds (user + system CPU in brackets), load of the
# files included; the last column is lines per second of the judged run. The
# settings folder is a temporary one, so the user's own settings play no part.
set -euo pipefail

source "$(dirname "$0")/bench_common.sh" "${1:-build}" bench_check
accepted_codes=" 0 1 "  # 1: findings

printf '%10s  %16s  %16s  %16s  %12s\n' lines check judged routines "lines/s"
for lines in 250000 500000 1000000; do
    dir=$work/p$lines
    "$gen" --out "$dir" --lines "$lines" > /dev/null
    "$qvaddin" settings reset > /dev/null
    printf '%10s  ' "$lines"
    timed "$qvaddin" check "$dir/Bench.vbp"
    printf '  '
    "$qvaddin" settings set label2 ErrorHandler > /dev/null
    timed "$qvaddin" check "$dir/Bench.vbp"
    judged=$(cat "$work/wall")
    printf '  '
    timed "$qvaddin" check --routines "$dir/Bench.vbp"
    awk -v n="$lines" -v t="$judged" 'BEGIN { printf "  %12.0f\n", (t > 0) ? n / t : 0 }'
    rm -rf "$dir"
done
