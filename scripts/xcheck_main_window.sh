#!/usr/bin/env bash
# Shows the main window over the example project in a real X server (Xvfb)
# and takes a screenshot of each page, for a look:
#   OUT/main-information.png  the help text
#   OUT/main-options.png      the options page
#   OUT/main-view-tool.png    opened by "tool": the modules, after "&Status"
#   OUT/main-view-check.png   opened by "check": modMain's routines, one shown
#   OUT/main-example.png      the example code
#
#   scripts/xcheck_main_window.sh [build-dir] [out-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=${2:-/tmp}
demo=$build/demos/qvaddin-main-window-demo
[[ -x $demo ]] || { echo "xcheck_main_window.sh: build qvaddin-main-window-demo first" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config
mkdir -p "$out"

shot() {  # shot NAME DEMO-ARGUMENTS...
    local name=$1; shift
    xvfb-run -a -s "-screen 0 1280x800x24" bash -c \
        "\"$demo\" --quit-after 5000 $* & sleep 3.5; import -window root \"$out/main-$name.png\"; wait"
    echo "$out/main-$name.png"
}
shot information --open tool --page 0 examples/Example.vbp
shot options --open tool --page 1 examples/Example.vbp
shot view-tool --open tool --status examples/Example.vbp
shot view-check --open check --module modMain --routine TotalBalance examples/Example.vbp
shot example --open tool --page 3 examples/Example.vbp
