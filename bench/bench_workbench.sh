#!/usr/bin/env bash
# Times the workbench on a generated project of about a million lines against
# the command line's `add` on a copy of it, and typing in a 20,000-line
# module. Runs on the offscreen platform unless QT_QPA_PLATFORM or a DISPLAY
# says otherwise.
#
#   bench/bench_workbench.sh [build-dir] [lines]
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
source "$here/bench/bench_common.sh" "${1:-$here/build}" bench_workbench.sh
lines=${2:-1000000}
program=$build/bench/qvaddin-bench-workbench
if [[ ! -x $program ]]; then
    echo "bench_workbench.sh: $program is missing; build the target qvaddin-bench-workbench" >&2
    exit 2
fi
"$gen" --out "$work/p" --lines "$lines" >/dev/null
cp -r "$work/p" "$work/cli"
"$gen" --out "$work/typing" --lines 20000 --lines-per-module 20000 --name Typing >/dev/null
[[ -n ${DISPLAY:-} ]] || export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
echo "project: $(cat "$work/p"/*.bas "$work/p"/*.cls "$work/p"/*.frm | wc -l) lines"
printf "command line: qvaddin add (load, run, save)  "
timed "$qvaddin" add "$work/cli/Bench.vbp"
echo " s wall (cpu)"
"$program" "$work/p/Bench.vbp" --typing "$work/typing/Typing.vbp"
