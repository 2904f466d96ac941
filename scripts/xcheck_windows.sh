#!/usr/bin/env bash
# Shows the find and statistics windows over the example project in a real X
# server (Xvfb) and takes a screenshot of each, for a look:
#   /tmp/i16-find.png   the find window docked, a hit clicked
#   /tmp/i16-stats.png  the statistics window with a module's routines
#   /tmp/i16-group.png  the group statistics (a generated group of projects)
#
#   scripts/xcheck_windows.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
demo=$build/demos/qvaddin-windows-demo
[[ -x $demo ]] || { echo "xcheck_windows.sh: build qvaddin-windows-demo first" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config
"$build/bench/qvaddin-bench-gen" --out "$work/group" --lines 6000 --projects 2 >/dev/null

shot() {  # shot NAME DEMO-ARGUMENTS...
    local name=$1; shift
    xvfb-run -a -s "-screen 0 1280x800x24" bash -c \
        "\"$demo\" --quit-after 4000 $* & sleep 2.5; import -window root /tmp/i16-$name.png; wait" 
    echo "/tmp/i16-$name.png"
}
shot find --show find --search Balance --hit 3 examples/Example.vbp
shot stats --show stats examples/Example.vbp
shot group --show group "$work/group/Bench.vbg"
