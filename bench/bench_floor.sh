#!/usr/bin/env bash
# How close the commands come to the floor: the cost of reading the same
# files with the system's own tools. For a generated project of a million
# lines (2,000 modules) and for the largest real project of the test data
# (examples/Example.vbp), it prints the best wall time of each command
# against `wc -l` on the module files, `grep -rnw` of the same word and
# `cat | wc -l`, and the peak memory (/usr/bin/time) against the size of the
# module files; where cloc is installed, also how much faster `stats` counts
# than cloc on the same files (an optional column: nothing else needs cloc).
# The measures take turns within each round, so that a busy machine slows
# them alike; the load average is printed before and after.
#
#   bench/bench_floor.sh [build-dir] [--lines N] [--runs K] [--real PROJECT.vbp]
#                        [--copies-in FOLDER]
#
# build-dir  holds src/app/cli/qvaddin and bench/qvaddin-bench-gen (default: build)
# --lines    size of the generated project (default 1000000)
# --runs     rounds (default 5); the fastest run of each measure counts
# --real     a real project to measure beside it (default: examples/Example.vbp)
# --copies-in  where the writing commands' copies are made (default: a
#            temporary folder); /dev/shm, say, leaves the disk out of their
#            figures (no flush or discard waits), which on a shared or
#            journal-less disk vary from run to run
#
# Goals, for the figures: stats ≤ 2× wc -l; find --whole-word ≤ 1.5× grep -rnw;
# list, check ≤ 3× wc -l; add, number, tidy ≤ 4× cat | wc -l; peak memory
# ≤ 2.5× the source size; stats ≥ 20× faster than cloc.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
build=build
if [[ $# -gt 0 && $1 != --* ]]; then build=$1; shift; fi
lines=1000000
runs=5
real=$here/examples/Example.vbp
copies_in=""
while [[ $# -gt 0 ]]; do
    case $1 in
        --lines) lines=$2; shift 2 ;;
        --runs) runs=$2; shift 2 ;;
        --real) real=$(cd "$(dirname "$2")" && pwd)/$(basename "$2"); shift 2 ;;
        --copies-in) copies_in=$2; shift 2 ;;
        -h|--help) sed -n '2,27p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
        *) echo "bench_floor.sh: unknown argument $1 (see --help)" >&2; exit 2 ;;
    esac
done
build=$(cd "$build" && pwd)
source "$here/bench/bench_common.sh" "$build" bench_floor.sh
if [[ -n $copies_in ]]; then
    mkdir -p "$copies_in" || exit 2
    copies=$(mktemp -d "$copies_in/bench_floor.XXXXXX")
    trap 'rm -rf "$work" "$copies"' EXIT
else
    copies=$work/copies
fi

# A word the generator never writes, planted in ten modules, and one that
# every routine holds.
rare=Zyzzyva
common=result

# Wall milliseconds of one run of the command (output dropped; the exit
# codes 0 and 1 count as success: check exits 1 on findings).
wall_ms() {
    local start end
    start=$(date +%s%N)
    "$@" > /dev/null 2>&1 || [[ $? -eq 1 ]] || { echo "bench_floor.sh: failed: $*" >&2; exit 1; }
    end=$(date +%s%N)
    echo $(((end - start) / 1000000))
}

# Peak resident memory of one run, in kB.
peak_kb() {
    /usr/bin/time -f %M -o "$work/peak" "$@" > /dev/null 2>&1 || [[ $? -eq 1 ]] || true
    tail -1 "$work/peak"
}

# The copies of the project folder that the writing commands work on, one
# per command and round, all made before the first is timed and removed
# after the last: a writing command flushes the file system it writes to,
# and would otherwise be charged for writing out a copy made just before it;
# and on a file system without a journal, files removed in the last minutes
# make every new file slow to create (their inodes are passed over one by
# one), so removing the last round's copy right before a run would charge it
# for that removal too.
make_copies() {  # folder count
    local k
    rm -rf "$copies"
    mkdir -p "$copies"
    for ((k = 0; k < $2; k++)); do cp -r "$1" "$copies/$k"; done
    sync -f "$copies"
    next_copy=0
    warn_if_creating_is_slow
}

# Says so when creating a file where the copies are takes long (see above):
# the writing commands' figures then hold that wait, not only their own work.
warn_if_creating_is_slow() {
    local probe=$copies/probe start end each
    mkdir "$probe"
    start=$(date +%s%N)
    touch "$probe"/{1..200}
    end=$(date +%s%N)
    rm -rf "$probe"
    each=$(((end - start) / 200000))
    if ((each > 150)); then
        printf '  (creating a file where the copies are takes %d µs, not the usual 10–40: files were\n' "$each"
        printf '   removed there in the last minutes; the writing figures hold that wait, so run again later)\n'
    fi
}

# The next unused copy (set in `copy`).
take_copy() {
    copy=$copies/$next_copy
    next_copy=$((next_copy + 1))
}

measure_project() {
    local title=$1 folder=$2 vbp=$3
    local -a files
    mapfile -t files < <(cd "$folder" && ls -- *.bas *.cls *.frm *.ctl *.pag *.dob *.dsr 2>/dev/null)
    local bytes total
    bytes=$(cd "$folder" && cat -- "${files[@]}" | wc -c)
    total=$(cd "$folder" && cat -- "${files[@]}" | wc -l)
    printf '\n%s: %d module files, %d lines, %.1f MB (load average %s)\n' "$title" \
        "${#files[@]}" "$total" "$(awk -v b="$bytes" 'BEGIN { print b / 1e6 }')" \
        "$(cut -d' ' -f1-3 /proc/loadavg)"

    local -A best=()
    local -a names=(wc cat grep_common grep_rare stats find_common find_rare list check add number tidy)
    if command -v cloc > /dev/null; then names+=(cloc); fi
    local name ms r copy
    make_copies "$folder" $((runs * 3 + 3))
    cd "$folder"
    for ((r = 0; r < runs; r++)); do
        for name in "${names[@]}"; do
            case $name in
                wc) ms=$(wall_ms wc -l -- "${files[@]}") ;;
                cat) ms=$(wall_ms bash -c 'cat -- "$@" | wc -l' _ "${files[@]}") ;;
                grep_common) ms=$(wall_ms grep -rnw "$common" -- "${files[@]}") ;;
                grep_rare) ms=$(wall_ms grep -rnw "$rare" -- "${files[@]}") ;;
                stats) ms=$(wall_ms "$qvaddin" stats "$vbp") ;;
                find_common) ms=$(wall_ms "$qvaddin" find "$vbp" "$common" --whole-word) ;;
                find_rare) ms=$(wall_ms "$qvaddin" find "$vbp" "$rare" --whole-word) ;;
                list) ms=$(wall_ms "$qvaddin" list "$vbp") ;;
                check) ms=$(wall_ms "$qvaddin" check "$vbp") ;;
                cloc) ms=$(wall_ms cloc --quiet -- "${files[@]}") ;;
                add|number|tidy)
                    take_copy
                    ms=$(wall_ms "$qvaddin" "$name" "$copy/$(basename "$vbp")") ;;
            esac
            if [[ -z ${best[$name]:-} || $ms -lt ${best[$name]} ]]; then best[$name]=$ms; fi
        done
    done

    local -A peak=()
    for name in stats find_common list check add number tidy; do
        case $name in
            find_common) peak[$name]=$(peak_kb "$qvaddin" find "$vbp" "$common" --whole-word) ;;
            add|number|tidy)
                take_copy
                peak[$name]=$(peak_kb "$qvaddin" "$name" "$copy/$(basename "$vbp")") ;;
            *) peak[$name]=$(peak_kb "$qvaddin" "$name" "$vbp") ;;
        esac
    done
    cd "$here"
    rm -rf "$copies"

    ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%5.1f×", a / (b > 0 ? b : 1) }'; }
    printf '  floor: wc -l %d ms, cat | wc -l %d ms, grep -rnw %s %d ms, grep -rnw %s %d ms\n' \
        "${best[wc]}" "${best[cat]}" "$common" "${best[grep_common]}" "$rare" "${best[grep_rare]}"
    printf '  %-26s %8s  %-22s %10s\n' command "best ms" "against the floor" "peak/source"
    row() {  # name label floor-name floor-label
        local p=""
        if [[ -n ${peak[$1]:-} ]]; then
            p=$(awk -v k="${peak[$1]}" -v b="$bytes" 'BEGIN { printf "%.0f MB %4.1f×", k / 1024, k * 1024 / b }')
        fi
        printf '  %-26s %8d  %s %-14s %s\n' "$2" "${best[$1]}" "$(ratio "${best[$1]}" "${best[$3]}")" "$4" "$p"
    }
    row stats "stats" wc "wc -l"
    row find_common "find --whole-word $common" grep_common "grep -rnw"
    row find_rare "find --whole-word $rare" grep_rare "grep -rnw"
    row list "list" wc "wc -l"
    row check "check" wc "wc -l"
    row add "add (a copy)" cat "cat | wc -l"
    row number "number (a copy)" cat "cat | wc -l"
    row tidy "tidy (a copy)" cat "cat | wc -l"
    if [[ -n ${best[cloc]:-} ]]; then
        printf '  cloc %d ms: stats %.1f× faster\n' "${best[cloc]}" \
            "$(awk -v c="${best[cloc]}" -v s="${best[stats]}" 'BEGIN { print c / (s > 0 ? s : 1) }')"
    else
        echo "  (cloc is not installed: no comparison with it)"
    fi
}

generated=$work/generated
"$gen" --out "$generated" --lines "$lines" > /dev/null
mapfile -t planted < <(cd "$generated" && ls -- *.bas | head -10)
for file in "${planted[@]}"; do printf "' %s was here\r\n" "$rare" >> "$generated/$file"; done

echo "qvaddin: $qvaddin; $runs rounds, best of each; $(nproc) cores"
measure_project "generated" "$generated" "$generated/Bench.vbp"
real_copy=$work/real
cp -r "$(dirname "$real")" "$real_copy"
measure_project "real ($(basename "$real"))" "$real_copy" "$real_copy/$(basename "$real")"
echo
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
