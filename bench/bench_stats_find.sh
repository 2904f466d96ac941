#!/usr/bin/env bash
# Times `qvaddin stats` against cloc and `qvaddin find` against `grep -c` on
# the same module files of a generated project of about a million lines, and
# prints both ratios. Each tool runs several times; the fastest run counts
# (the machine may be busy with other work).
#
#   bench/bench_stats_find.sh [--build DIR] [--lines N] [--runs K] [--keep DIR]
#
# --build  the build folder holding src/app/cli/qvaddin and
#          bench/qvaddin-bench-gen (default: build)
# --lines  size of the generated project (default 1000000)
# --runs   runs per tool (default 5)
# --keep   generate into DIR and leave it there (default: a temporary folder)
#
# Targets: stats at least 20 times faster than cloc (where cloc is
# installed; it is optional); find within 3 times the time of grep -c.
set -euo pipefail

here="$(cd "$(dirname "$0")/.." && pwd)"
build="$here/build"
lines=1000000
runs=5
keep=""
while [[ $# -gt 0 ]]; do
  case "$1" in
    --build) build="$(cd "$2" && pwd)"; shift 2 ;;
    --lines) lines="$2"; shift 2 ;;
    --runs) runs="$2"; shift 2 ;;
    --keep) keep="$2"; shift 2 ;;
    -h|--help) sed -n '2,16p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "bench_stats_find.sh: unknown argument $1 (see --help)" >&2; exit 2 ;;
  esac
done

qvaddin="$build/src/app/cli/qvaddin"
generator="$build/bench/qvaddin-bench-gen"
for tool in "$qvaddin" "$generator"; do
  if [[ ! -x "$tool" ]]; then
    echo "bench_stats_find.sh: $tool is missing; build it first" \
      "(ninja -C $build qvaddin qvaddin-bench-gen)" >&2
    exit 2
  fi
done

# cloc is optional: without it, stats is not compared with it.
have_cloc=false
if command -v cloc >/dev/null; then have_cloc=true; fi

if [[ -n "$keep" ]]; then
  folder="$keep"
  rm -rf "$folder"
else
  folder="$(mktemp -d)"
  trap 'rm -rf "$folder"' EXIT
fi
"$generator" --out "$folder" --lines "$lines" >/dev/null
cd "$folder"
modules=(*.bas *.cls *.frm)

# A word that the generator never writes, planted once in ten modules.
word="Zyzzyva"
for file in "${modules[@]:0:10}"; do printf "' %s was here\r\n" "$word" >>"$file"; done

# The fastest of $runs runs of a command, in milliseconds (output dropped).
best_ms() {
  local best="" start end elapsed
  for ((i = 0; i < runs; i++)); do
    start=$(date +%s%N)
    "$@" >/dev/null
    end=$(date +%s%N)
    elapsed=$(((end - start) / 1000))
    if [[ -z "$best" || $elapsed -lt $best ]]; then best=$elapsed; fi
  done
  awk -v us="$best" 'BEGIN { printf "%.1f", us / 1000 }'
}

found=$(grep -c "$word" -- "${modules[@]}" | awk -F: '{ n += $NF } END { print n }')
hits=$("$qvaddin" find Bench.vbp "$word" | head -1)
if [[ "$found" != 10 || "$hits" != "10 hits found." ]]; then
  echo "bench_stats_find.sh: expected 10 hits of $word;" \
    "grep counted $found, qvaddin said '$hits'" >&2
  exit 1
fi

total_lines=$(cat -- "${modules[@]}" | wc -l)
echo "project: ${#modules[@]} modules, $total_lines lines in $folder"

stats_ms=$(best_ms "$qvaddin" stats Bench.vbp)
if $have_cloc; then cloc_ms=$(best_ms cloc --quiet -- "${modules[@]}"); fi
find_ms=$(best_ms "$qvaddin" find Bench.vbp "$word")
grep_ms=$(best_ms grep -c "$word" -- "${modules[@]}")

echo "qvaddin stats      $stats_ms ms"
if $have_cloc; then echo "cloc               $cloc_ms ms"; fi
echo "qvaddin find       $find_ms ms"
echo "grep -c            $grep_ms ms"
if $have_cloc; then
  awk -v s="$stats_ms" -v c="$cloc_ms" \
    'BEGIN { printf "stats: %.1f times faster than cloc (target: at least 20)\n", c / s }'
else
  echo "stats: cloc is not installed (apt-get install cloc), so no comparison with it"
fi
awk -v f="$find_ms" -v g="$grep_ms" \
  'BEGIN { printf "find: %.1f times the time of grep -c (target: at most 3)\n", f / g }'
