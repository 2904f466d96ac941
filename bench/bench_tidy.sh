#!/usr/bin/env bash
# Times `qvaddin tidy` on generated projects of 250k, 500k and 1M lines.
#
# Usage: bench/bench_tidy.sh [BUILD_DIR]      (default: build)
#
# For each size it generates a project with qvaddin-bench-gen, then times:
#   dry-run   tidy of every module, nothing written (load, tidy, diff)
#   tidy      the same, writing the changed modules (each file flushed and
#             renamed into place, so the disk's flush time is part of it)
#   again     tidy of the tidied project: every routine is read and tidied,
#             nothing changes and nothing is written
# Times are wall-clock seconds (user + system CPU in brackets). The settings
# folder is a temporary one, so the user's own settings play no part.
set -euo pipefail

source "$(dirname "$0")/bench_common.sh" "${1:-build}" bench_tidy

printf '%10s  %16s  %16s  %16s\n' lines "dry-run" tidy again
for lines in 250000 500000 1000000; do
    dir=$work/p$lines
    "$gen" --out "$dir" --lines "$lines" > /dev/null
    printf '%10s  ' "$lines"
    timed "$qvaddin" --dry-run tidy "$dir/Bench.vbp"
    printf '  '
    timed "$qvaddin" tidy "$dir/Bench.vbp"
    printf '  '
    timed "$qvaddin" tidy "$dir/Bench.vbp"
    printf '\n'
    rm -rf "$dir"
done
