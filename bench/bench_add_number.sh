#!/usr/bin/env bash
# Times `qvaddin add` and `qvaddin number` over every routine of generated
# projects of 250k, 500k and 1M lines.
#
# Usage: bench/bench_add_number.sh [BUILD_DIR]      (default: build)
#
# For each size it generates a project with qvaddin-bench-gen (three in ten
# routines already hold a handler of their own, which add refuses), then
# times, each on a fresh copy:
#   add       a handler into every routine that takes one, the changed
#             modules written (each file flushed and renamed into place)
#   add -n    the same with --dry-run: nothing written, the diff computed
#   number    line numbers on every routine, headers laid out, the
#             declarations tidied, the changed modules written
#   number -n the same with --dry-run
# Times are wall-clock seconds (user + system CPU in brackets); the machine's
# other load shows in the wall time, not in the CPU time. The settings folder
# is a temporary one, so the user's own settings play no part.
set -euo pipefail

source "$(dirname "$0")/bench_common.sh" "${1:-build}" bench_add_number

# Times one command on a fresh copy of the generated project.
fresh() {
    rm -rf "$work/copy"
    cp -r "$work/source" "$work/copy"
    timed "$qvaddin" "$@" "$work/copy/Bench.vbp"
}

printf '%10s  %16s  %16s  %16s  %16s\n' lines add "add -n" number "number -n"
for lines in 250000 500000 1000000; do
    rm -rf "$work/source"
    "$gen" --out "$work/source" --lines "$lines" > /dev/null
    printf '%10s  ' "$lines"
    add_number_row
done
