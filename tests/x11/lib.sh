# Shared steps of the scenarios that drive qvaddin-workbench in a real X
# server with real key presses and mouse clicks (xdotool), as a person does.
# There is no window manager: the workbench's window is given the focus with
# `xdotool windowfocus`. Every scenario asserts on the bytes the workbench
# saves or on the window's title, never on a picture; QV_X11_SHOTS=DIR keeps
# screenshots of the steps for a person to look at.
#
# A scenario script sources this file and calls
#     x11_begin BUILD_DIR "$@"
# which runs the script again inside its own Xvfb server and gives it a
# copy of the example project in $project.

x11_repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

x11_fail() {
    echo "FAIL: $*" >&2
    x11_shot "failure"
    exit 1
}

# x11_begin SCRIPT BUILD_DIR: inside a fresh X server from here on.
x11_begin() {
    local script=$1 build=$2
    if [[ -z ${QV_X11_INSIDE:-} ]]; then
        for tool in xvfb-run xdotool; do
            command -v $tool >/dev/null || { echo "$script: $tool is missing (scripts/setup.sh installs it)" >&2; exit 1; }
        done
        QV_X11_INSIDE=1 exec xvfb-run -a -s "-screen 0 1280x800x24" bash "$script" "$build"
    fi
    x11_build=$(cd "$build" && pwd)
    x11_workbench=$x11_build/src/app/workbench/qvaddin-workbench
    x11_cli=$x11_build/src/app/cli/qvaddin
    [[ -x $x11_workbench && -x $x11_cli ]] || { echo "build qvaddin-workbench and qvaddin first" >&2; exit 1; }
    x11_work=$(mktemp -d)
    trap x11_end EXIT
    export XDG_CONFIG_HOME=$x11_work/config
    x11_pid=""
    x11_step=0
}

x11_end() {
    x11_stop
    rm -rf "$x11_work"
}

# A fresh copy of the example project in $project (and of its files as
# they were in $original).
x11_fresh_project() {
    project=$x11_work/project-$RANDOM
    original=$x11_repo/examples
    mkdir -p "$project"
    cp "$original"/* "$project"/
    chmod u+w "$project"/*
}

# x11_start ARGUMENTS...: starts the workbench and waits until its window is
# up and has the focus.
x11_start() {
    "$x11_workbench" "$@" >>"$x11_work/workbench.log" 2>&1 &
    x11_pid=$!
    x11_window=$(timeout 30 xdotool search --sync --onlyvisible --name 'qvaddin-workbench' | head -1)
    [[ -n $x11_window ]] || x11_fail "the workbench's window did not come up"
    xdotool windowfocus --sync "$x11_window"
    sleep 0.5
}

x11_stop() {
    if [[ -n ${x11_pid:-} ]]; then
        kill "$x11_pid" 2>/dev/null || true
        wait "$x11_pid" 2>/dev/null || true
        x11_pid=""
    fi
}

# x11_keys KEY...: presses the keys one after another (xdotool's names:
# ctrl+shift+e, Return, Tab, shift+Down, ...), then lets the window catch up.
x11_keys() {
    xdotool key --delay 60 "$@"
    sleep 0.3
}

x11_type() {
    xdotool type --delay 40 -- "$1"
    sleep 0.3
}

# x11_click X Y [COUNT]: a left click (or COUNT of them, a double-click for 2).
x11_click() {
    xdotool mousemove --sync "$1" "$2" click --repeat "${3:-1}" --delay 80 1
    sleep 0.4
}

# x11_save FILE: Ctrl+S, then waits until FILE was written again (the save
# replaces the file, so its inode changes) or two seconds passed, when the
# save had nothing to write.
x11_save() {
    local before
    before=$(stat -c %i "$1")
    xdotool key ctrl+s
    for _ in $(seq 20); do
        sleep 0.1
        [[ $(stat -c %i "$1") != "$before" ]] && break
    done
    sleep 0.1
}

# x11_title: the workbench window's title.
x11_title() {
    xdotool getwindowname "$x11_window"
}

# x11_same ACTUAL EXPECTED WHAT: the two files hold the same bytes.
x11_same() {
    if ! cmp -s "$1" "$2"; then
        diff -u "$2" "$1" >&2 || true
        x11_fail "$3"
    fi
}

# x11_code_line FILE N: code line N of a module file (the hidden header of
# Attribute lines and class or form blocks is not counted), without its CR.
x11_code_line() {
    awk -v n="$2" '
        !code && /^Attribute VB_/ { header = 1; next }
        header && !/^Attribute VB_/ { code = 1 }
        code && /^Attribute [^ ]*\.VB_/ { next }
        code && ++line == n { sub(/\r$/, ""); print; exit }' "$1"
}

x11_shot() {
    [[ -n ${QV_X11_SHOTS:-} ]] || return 0
    mkdir -p "$QV_X11_SHOTS"
    x11_step=$((x11_step + 1))
    import -window root \
        "$QV_X11_SHOTS/$(basename "$0" .sh)-${x11_scenario:-}-$(printf %02d $x11_step)-$1.png" \
        2>/dev/null || true
}

# x11_mark_highlight: remembers which pixels of the screen are drawn in the
# selection colour now; x11_new_highlight then prints the centre "X Y" of
# the pixels that have taken that colour since (a row just selected in a
# tree), or nothing. Used only to find where to click: the scenarios assert
# on saved bytes, never on a picture.
x11_highlight_mask() {
    import -window root "$x11_work/screen.png"
    convert "$x11_work/screen.png" -fuzz 4% -fill black +opaque '#308cc6' \
        -fill white -opaque '#308cc6' "$1"
}

x11_mark_highlight() {
    x11_highlight_mask "$x11_work/before.png"
}

x11_new_highlight() {
    local box
    # A busy machine may paint late: a few looks, a second apart.
    for _ in 1 2 3 4 5; do
        x11_highlight_mask "$x11_work/after.png"
        box=$(convert "$x11_work/after.png" "$x11_work/before.png" -compose Minus_Src -composite \
              -format '%@' info: 2>/dev/null)
        if [[ $box =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]] &&
           (( BASH_REMATCH[1] > 20 && BASH_REMATCH[2] > 4 )); then
            echo "$((BASH_REMATCH[3] + BASH_REMATCH[1] / 2)) $((BASH_REMATCH[4] + BASH_REMATCH[2] / 2))"
            return 0
        fi
        sleep 1
    done
}

# x11_run SCENARIO...: runs each scenario (a function) on its own, so that
# one failing does not hide the others, and ends with the count of them.
x11_run() {
    local passed=0 failed=0 status
    for scenario in "$@"; do
        set +e
        (
            set -e
            trap x11_stop EXIT
            x11_scenario=$scenario
            "$scenario"
        )
        status=$?
        set -e
        if (( status == 0 )); then
            echo "ok - $scenario"
            passed=$((passed + 1))
        else
            echo "not ok - $scenario"
            failed=$((failed + 1))
        fi
    done
    echo "$passed passed, $failed failed"
    (( failed == 0 ))
}
