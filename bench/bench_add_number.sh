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

build=${1:-build}
qvaddin=$build/src/app/cli/qvaddin
gen=$build/bench/qvaddin-bench-gen
for tool in "$qvaddin" "$gen"; do
    if [[ ! -x $tool ]]; then
        echo "bench_add_number: $tool is missing; build the targets qvaddin and qvaddin-bench-gen" >&2
        exit 2
    fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config
mkdir -p "$XDG_CONFIG_HOME"

# Runs the command and prints "wall (cpu)" in seconds.
timed() {
    local TIMEFORMAT='%R %U %S'
    local times
    times=$( { time "$@" > /dev/null 2> "$work/stderr"; } 2>&1 ) || {
        cat "$work/stderr" >&2
        exit 1
    }
    awk -v t="$times" 'BEGIN { split(t, v, " "); printf "%8.2f (%5.2f)", v[1], v[2] + v[3] }'
}

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
    fresh add
    printf '  '
    fresh --dry-run add
    printf '  '
    fresh number
    printf '  '
    fresh --dry-run number
    printf '\n'
done
