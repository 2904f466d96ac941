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

build=${1:-build}
qvaddin=$build/src/app/cli/qvaddin
gen=$build/bench/qvaddin-bench-gen
for tool in "$qvaddin" "$gen"; do
    if [[ ! -x $tool ]]; then
        echo "bench_check: $tool is missing; build the targets qvaddin and qvaddin-bench-gen" >&2
        exit 2
    fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config
mkdir -p "$XDG_CONFIG_HOME"

# Runs the command and prints "wall (cpu)" in seconds; the wall time is also
# left in $work/wall. Exit code 1 (findings) is what check gives here.
timed() {
    local TIMEFORMAT='%R %U %S'
    local times
    times=$( { time "$@" > /dev/null 2> "$work/stderr" || [[ $? == 1 ]]; } 2>&1 ) || {
        cat "$work/stderr" >&2
        exit 1
    }
    awk -v t="$times" 'BEGIN { split(t, v, " "); printf "%8.2f (%5.2f)", v[1], v[2] + v[3] }'
    awk -v t="$times" 'BEGIN { split(t, v, " "); print v[1] }' > "$work/wall"
}

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
