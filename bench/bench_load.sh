#!/usr/bin/env bash
# Times loading VB6 projects of 250k, 500k and 1M lines: `qvaddin list`
# (load + list) and `qvaddin comment` (load + one edit + save) through the
# command line, and the phases of qvaddin-bench-load_save (load, list, and a
# save after one edit in every module: every file written back atomically). Prints lines per second (of CPU time, user +
# system, so other load on the machine does not count) and peak memory.
#
# Usage: bench/bench_load.sh [build-dir]      (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
if [ ! -x "$build/src/app/cli/qvaddin" ] || [ ! -x "$build/bench/qvaddin-bench-gen" ]; then
  scripts/setup.sh "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
qvaddin="$build/src/app/cli/qvaddin"
gen="$build/bench/qvaddin-bench-gen"
loadsave="$build/bench/qvaddin-bench-load_save"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# Runs a command under /usr/bin/time; prints "<cpu seconds> <wall seconds> <peak KB>".
measure() {
  /usr/bin/time -f "%U %S %e %M" -o "$work/time" "$@" >/dev/null
  awk '{ printf "%.3f %.3f %d\n", $1 + $2, $3, $4 }' "$work/time"
}

for lines in 250000 500000 1000000; do
  project="$work/p$lines"
  "$gen" --out "$project" --lines "$lines" >/dev/null
  total=$(cat "$project"/*.bas "$project"/*.cls "$project"/*.frm | wc -l)
  echo "== $total lines ($(ls "$project" | wc -l) files, $(du -sh "$project" | cut -f1))"
  best=""
  for run in 1 2 3; do   # the best of three: a cold cache or a busy machine is not the tool
    read -r cpu wall kb < <(measure "$qvaddin" list "$project/Bench.vbp")
    if [ -z "$best" ] || awk "BEGIN { exit !($cpu < ${best%% *}) }"; then best="$cpu $wall $kb"; fi
  done
  read -r cpu wall kb <<<"$best"
  awk -v n="$total" -v c="$cpu" -v w="$wall" -v k="$kb" 'BEGIN {
    printf "qvaddin list (load + list): %.3f s CPU, %.3f s wall, %.0f lines/s, peak %.1f MB\n",
           c, w, (c > 0 ? n / c : 0), k / 1024 }'
  # Load + save through the command line: one stamp on one line (the whole
  # project is read, the one changed module written atomically).
  module="$(basename "$(ls "$project"/*.bas | head -1)" .bas)"
  if "$qvaddin" comment --help >/dev/null 2>&1; then
    read -r cpu wall kb < <(measure "$qvaddin" comment "$project/Bench.vbp" --module "$module" --line 2)
    awk -v n="$total" -v c="$cpu" -v w="$wall" -v k="$kb" 'BEGIN {
      printf "qvaddin comment (load + one edit + save): %.3f s CPU, %.3f s wall, %.0f lines/s, peak %.1f MB\n",
             c, w, (c > 0 ? n / c : 0), k / 1024 }'
  fi
  read -r cpu wall kb < <(measure "$loadsave" "$project/Bench.vbp")
  awk -v n="$total" -v c="$cpu" -v w="$wall" -v k="$kb" 'BEGIN {
    printf "load + edit every module + save all: %.3f s CPU, %.3f s wall, %.0f lines/s, peak %.1f MB\n",
           c, w, (c > 0 ? n / c : 0), k / 1024 }'
  "$loadsave" "$project/Bench.vbp" --no-write | sed 's/^/  /'
done
