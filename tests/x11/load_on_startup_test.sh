#!/usr/bin/env bash
# Load on Startup, as a person turns it off: in a real X server (Xvfb, no
# window manager) the workbench is started on a copy of the example project;
# the add-in manager is opened from the Add-Ins menu with the keyboard, "Load
# on Startup" is unticked with its access key and the dialog closed with
# Enter. Then the workbench is started again: the add-in list still says "0",
# and the add-in is not loaded — its hot key for error handling changes
# nothing (the title gets no "*", and Ctrl+S leaves the module's bytes as
# they were). On the way, the IDE's title ends with "[design]", not with the
# add-in's name.
#
#   tests/x11/load_on_startup_test.sh path/to/qvaddin-workbench
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
program=$(realpath "${1:?usage: $0 path/to/qvaddin-workbench}")

# Inside an X server of our own, whatever display the caller has.
if [[ -z ${QV_X11_INSIDE:-} ]]; then
    export QV_X11_INSIDE=1
    exec xvfb-run -a -s "-screen 0 1280x800x24" "$0" "$@"
fi
unset QT_QPA_PLATFORM

work=$(mktemp -d)
pid=
cleanup() {
    [[ -n $pid ]] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
export XDG_CONFIG_HOME=$work/config
cp "$here/../../examples/"{Example.vbp,modMain.bas,CAccount.cls,frmMain.frm} "$work/"
chmod u+w "$work"/*
list=$XDG_CONFIG_HOME/qvaddin-workbench/vbaddin.ini
original=$(sha256sum < "$work/modMain.bas")

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# The add-in's value in the add-in list.
listed() {
    sed -n 's/^qvAddIn2vb5\.Connect *= *//p' "$list" | tr -d '\r'
}

# Waits up to thirty seconds for a condition (a command line), as a person
# waits for the screen to show the result of a key (a loaded machine can take
# seconds); false when it never holds.
wait_for() {
    for _ in $(seq 300); do
        eval "$1" && return 0
        sleep 0.1
    done
    return 1
}

# Waits until a window whose title matches the pattern is shown; prints its id.
window_named() {
    local id
    for _ in $(seq 300); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 || true)
        if [[ -n $id ]]; then
            echo "$id"
            return 0
        fi
        sleep 0.1
    done
    fail "no window named $1"
}

# Starts the workbench on the example with the cursor in modMain's Sub Main
# and gives its window the focus; leaves the window id in $ide.
start() {
    "$program" "$work/Example.vbp" --module modMain --line 12 >"$work/out.txt" 2>&1 &
    pid=$!
    ide=$(window_named '\[design\]')
    sleep 0.5
    xdotool windowfocus --sync "$ide"
    wait_for '[[ $(xdotool getwindowfocus) == "$ide" ]]' || fail "the IDE window does not take the focus"
    sleep 0.5
}

title_of_ide() {
    xdotool getwindowname "$ide"
}

stop() {
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    pid=
}

# --- first start: the add-in loads, as the list says
start
[[ $(listed) == 1 ]] || fail "a first start lists the add-in with 1, not '$(listed)'"
title=$(title_of_ide)
[[ $title == *"[design]" ]] || fail "the IDE's title ends with '[design]', not: $title"
xdotool key ctrl+shift+e
wait_for '[[ $(title_of_ide) == *"*"* ]]' ||
    fail "with the add-in loaded its hot key changes the routine (title: $(title_of_ide))"

# The windows of the workbench on the screen (a menu that drops down is one).
shown() {
    xdotool search --onlyvisible --pid "$pid" 2>/dev/null | wc -l
}

# Add-Ins > Add-In Manager..., then Load on Startup off and OK: the entry's
# key goes only once the menu is seen open, as a person waits for it.
before=$(shown)
xdotool key alt+a
wait_for '(( $(shown) > before ))' || fail "Alt+A opens no Add-Ins menu"
xdotool key a
manager=$(window_named '^Add-In Manager$')
xdotool windowfocus --sync "$manager"
sleep 0.3
wait_for '[[ $(xdotool getwindowfocus) == "$manager" ]]' || fail "the add-in manager has no focus"
xdotool key alt+s
sleep 0.5
xdotool key Return
wait_for '[[ $(listed) == 0 ]]' || fail "unticking Load on Startup writes 0, the list has '$(listed)'"
stop

# --- the next start: the add-in stays out
start
[[ $(listed) == 0 ]] || fail "the next start wrote '$(listed)' over the user's 0"
xdotool key ctrl+shift+e
sleep 2  # what a loaded add-in would have done by now
title=$(title_of_ide)
[[ $title != *"*"* ]] || fail "the add-in is not loaded, yet its hot key changed the code ($title)"
xdotool key ctrl+s
sleep 1.5
[[ $(sha256sum < "$work/modMain.bas") == "$original" ]] || fail "modMain.bas changed"
stop
echo "load on startup: 1 passed, 0 failed"
