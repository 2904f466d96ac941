#!/usr/bin/env bash
# Times the find and statistics windows on a generated project of about a
# million lines (a rare word planted in ten modules). Runs on the offscreen
# platform unless QT_QPA_PLATFORM or a DISPLAY says otherwise.
#
#   bench/bench_windows.sh [build-dir] [lines]
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
source "$here/bench/bench_common.sh" "${1:-$here/build}" bench_windows.sh
lines=${2:-1000000}
program=$build/bench/qvaddin-bench-windows
if [[ ! -x $program ]]; then
    echo "bench_windows.sh: $program is missing; build the target qvaddin-bench-windows" >&2
    exit 2
fi
"$gen" --out "$work/p" --lines "$lines" >/dev/null
for file in $(ls "$work/p"/*.bas | head -10); do printf "' Zyzzyva was here\r\n" >>"$file"; done
[[ -n ${DISPLAY:-} ]] || export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
echo "project: $(cat "$work/p"/*.bas "$work/p"/*.cls "$work/p"/*.frm | wc -l) lines"
"$program" "$work/p/Bench.vbp" --rare Zyzzyva --common Dim
