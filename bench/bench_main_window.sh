#!/usr/bin/env bash
# Times the main window's project browser on a generated project of about a
# million lines. Runs on the offscreen platform unless QT_QPA_PLATFORM or a
# DISPLAY says otherwise.
#
#   bench/bench_main_window.sh [build-dir] [lines]
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
source "$here/bench/bench_common.sh" "${1:-$here/build}" bench_main_window.sh
lines=${2:-1000000}
program=$build/bench/qvaddin-bench-main-window
if [[ ! -x $program ]]; then
    echo "bench_main_window.sh: $program is missing; build the target qvaddin-bench-main-window" >&2
    exit 2
fi
"$gen" --out "$work/p" --lines "$lines" >/dev/null
[[ -n ${DISPLAY:-} ]] || export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
echo "project: $(ls "$work/p"/*.bas "$work/p"/*.cls "$work/p"/*.frm | wc -l) modules," \
     "$(cat "$work/p"/*.bas "$work/p"/*.cls "$work/p"/*.frm | wc -l) lines"
"$program" "$work/p/Bench.vbp"
