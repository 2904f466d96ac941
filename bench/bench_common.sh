# Sourced by the bench_<command>.sh scripts: finds the tools in the build
# folder given as the script's first argument (default: build), makes a
# temporary work folder with its own settings folder (so the user's settings
# play no part), and offers `timed`.
#
#   source "$(dirname "$0")/bench_common.sh" "${1:-build}" <script name>

build=$1
script_name=$2
qvaddin=$build/src/app/cli/qvaddin
gen=$build/bench/qvaddin-bench-gen
for tool in "$qvaddin" "$gen"; do
    if [[ ! -x $tool ]]; then
        echo "$script_name: $tool is missing; build the targets qvaddin and qvaddin-bench-gen" >&2
        exit 2
    fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config
mkdir -p "$XDG_CONFIG_HOME"

# Exit codes of the timed command that are not failures (check gives 1 for
# findings); a script may widen it.
accepted_codes=" 0 "

# Runs the command and prints "wall (cpu)" in seconds; the wall time is also
# left in $work/wall.
timed() {
    local TIMEFORMAT='%R %U %S'
    local times
    times=$( { time { "$@" > /dev/null 2> "$work/stderr" || [[ $accepted_codes == *" $? "* ]]; }; } 2>&1 ) || {
        cat "$work/stderr" >&2
        exit 1
    }
    awk -v t="$times" 'BEGIN { split(t, v, " "); printf "%8.2f (%5.2f)", v[1], v[2] + v[3] }'
    awk -v t="$times" 'BEGIN { split(t, v, " "); print v[1] }' > "$work/wall"
}

# The four timings of a row of the add and number scripts, each through the
# caller's `fresh` (which times the command on a fresh copy of its target).
add_number_row() {
    fresh add
    printf '  '
    fresh --dry-run add
    printf '  '
    fresh number
    printf '  '
    fresh --dry-run number
    printf '\n'
}

# One module (modBig) of $1 small functions without a handler, each with a
# comment above it, an If block and a continued line.
big_module() {
    printf 'Attribute VB_Name = "modBig"\r\nOption Explicit\r\n\r\n'
    awk -v n="$1" 'BEGIN {
        for (i = 1; i <= n; i++) {
            printf "'"'"' Adds %d to a.\r\n", i
            printf "Public Function F%d(ByVal a As Long, ByVal b As Long) As Long\r\n", i
            printf "    Dim x As Long\r\n"
            printf "    If a > b Then\r\n        x = a + %d\r\n    End If\r\n", i
            printf "    F%d = x + _\r\n        b\r\n", i
            printf "End Function\r\n\r\n"
        }
    }'
}
