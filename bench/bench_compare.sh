#!/usr/bin/env bash
# Times every command of two builds of qvaddin on the same generated project
# of 1M lines, so that a change can be shown to make no command slower.
#
# Usage: bench/bench_compare.sh OLD_QVADDIN NEW_QVADDIN [BUILD_DIR] [ROUNDS]
#
# The project is written once by qvaddin-bench-gen (from BUILD_DIR, default
# build); each command that changes code runs on a fresh copy. Each command
# runs ROUNDS times (default 3) per build, the builds taking turns, and the
# best wall-clock time of each is printed with the ratio new / old.
set -euo pipefail

old=$(realpath "$1")
new=$(realpath "$2")
source "$(dirname "$0")/bench_common.sh" "${3:-build}" bench_compare
rounds=${4:-3}
accepted_codes=" 0 1 "  # check: findings

"$gen" --out "$work/source" --lines 1000000 >/dev/null

# best_of BINARY ARGS...: the best wall time of ROUNDS runs.
best=()
run_case() {
  local name=$1 copy=$2
  shift 2
  local b_old=999999 b_new=999999 t
  for ((r = 0; r < rounds; r++)); do
    for which in old new; do
      local bin=$old
      [ "$which" = new ] && bin=$new
      if [ "$copy" = yes ]; then
        rm -rf "$work/p"
        cp -a "$work/source" "$work/p"
      fi
      timed "$bin" "$@" >/dev/null
      t=$(cat "$work/wall")
      if [ "$which" = old ]; then
        b_old=$(awk -v a="$b_old" -v b="$t" 'BEGIN { print (b < a) ? b : a }')
      else
        b_new=$(awk -v a="$b_new" -v b="$t" 'BEGIN { print (b < a) ? b : a }')
      fi
    done
  done
  awk -v n="$name" -v o="$b_old" -v w="$b_new" \
    'BEGIN { printf "%-22s %8.2f %8.2f %7.2f\n", n, o, w, (o > 0) ? w / o : 0 }'
}

cp -a "$work/source" "$work/p"
printf '%-22s %8s %8s %7s\n' command old new "new/old"
run_case list no list "$work/p/Bench.vbp"
run_case check no check "$work/p/Bench.vbp"
run_case stats no stats "$work/p/Bench.vbp"
run_case find no find "$work/p/Bench.vbp" Value
run_case "add --dry-run" no --dry-run add "$work/p/Bench.vbp"
run_case add yes add "$work/p/Bench.vbp"
run_case replace yes replace "$work/p/Bench.vbp"
run_case remove yes remove "$work/p/Bench.vbp"
run_case number yes number "$work/p/Bench.vbp"
run_case unnumber yes unnumber "$work/p/Bench.vbp"
run_case tidy yes tidy "$work/p/Bench.vbp"
