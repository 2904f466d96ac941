#!/usr/bin/env bash
# Drives qvaddin-workbench in a real X server (Xvfb) with xdotool and takes
# screenshots, for a look:
#   OUT/project.png   the example open: project window, code window, properties
#   OUT/popup.png     the code window's pop-up with the add-in's commands
#   OUT/progress.png  the progress window while "Add Error Handling to Project"
#                     runs over a generated project
#   OUT/summary.png   the summary that follows it: what changed, what was
#                     refused and why (checked: it stands over the code area,
#                     clear of the project window)
#   OUT/manager.png   the add-in manager
#   OUT/find.png      the find window with the hits of a search
#   OUT/cascade.png   three code windows, cascaded in the code area
#   OUT/external-question.png   --external: closing the main window after a
#                     command asks, naming the unsaved module
#   OUT/external-cancelled.png  ... and Cancel leaves the main window as it was
#
#   scripts/xcheck_workbench.sh [build-dir] [out-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=${2:-/tmp/xcheck-workbench}
program=$build/src/app/workbench/qvaddin-workbench
[[ -x $program ]] || { echo "xcheck_workbench.sh: build qvaddin-workbench first" >&2; exit 2; }
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config
cp examples/* "$work/"
chmod u+w "$work"/*
"$build/bench/qvaddin-bench-gen" --out "$work/big" --lines 600000 >/dev/null

# session SCRIPT: runs the workbench with the arguments in $args, then the
# xdotool steps of SCRIPT, in one X server.
session() {
    xvfb-run -a -s "-screen 0 1280x800x24" bash -c "
        $program $args & pid=\$!
        sleep 3
        w=\$(xdotool search --sync --name '\\[design\\]' | head -1)
        xdotool windowfocus --sync \$w >/dev/null 2>&1 || true; sleep 0.3
        $1
        kill \$pid"
}

# Without a window manager the keys go to the widget with the focus: the
# menus and pop-ups are opened with the mouse.
args="$work/Example.vbp --module modMain --line 12"
session "import -window root $out/project.png
         xdotool mousemove 300 300 click 3; sleep 1; import -window root $out/popup.png"
session "xdotool mousemove 148 8 click 1; sleep 0.7; xdotool key Down Return; sleep 1.5
         import -window root $out/manager.png"
session "xdotool key ctrl+shift+f; sleep 1; xdotool type Balance; xdotool key Return; sleep 1
         import -window root $out/find.png"
session "xdotool mousemove 1000 140 click --repeat 2 --delay 80 1; sleep 0.7
         xdotool mousemove 1000 168 click --repeat 2 --delay 80 1; sleep 0.7
         import -window root $out/cascade.png"
# --external: modMain's row, the module tool bar's first button (error
# handling), then Close, and Escape for Cancel.
args="--external $work/Example.vbp"
session "xdotool mousemove 73 172 click 1; sleep 1; xdotool mousemove 35 87 click 1; sleep 1.5
         xdotool mousemove 1230 779 click 1; sleep 1.5; import -window root $out/external-question.png
         xdotool key Escape; sleep 1; import -window root $out/external-cancelled.png"
args="$work/big/Bench.vbp"
session "xdotool mousemove 960 84 click 3; sleep 1; import -window root $out/project-popup.png
         xdotool key Down Down Down Down Down Return
         sleep 0.8; import -window root $out/progress.png; sleep 25
         import -window root $out/summary.png
         xdotool search --name 'Add Error Handling to Project' getwindowgeometry --shell \
             > $work/summary.geometry"
# The summary stands over the code area, clear of the project window: the
# pixel just right of it, half-way down, is the code area's background (a
# summary over the project window hides the left of the tree's rows).
eval "$(head -5 "$work/summary.geometry")"
pixel() { convert "$out/summary.png" -format "%[pixel:p{$1,$2}]" info:; }
beside=$(pixel $((X + WIDTH + 2)) $((Y + HEIGHT / 2)))
background=$(pixel 5 $((Y + HEIGHT / 2)))
if [[ $beside != "$background" ]]; then
    echo "xcheck_workbench.sh: the summary ($WIDTH x $HEIGHT at $X,$Y) covers the project window" >&2
    exit 1
fi
ls "$out"/*.png
