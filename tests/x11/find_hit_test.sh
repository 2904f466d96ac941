#!/usr/bin/env bash
# The find window at the keyboard and the mouse, in a real X server:
# Ctrl+Shift+F gives its search box the focus, typed text replaces what is
# there and Enter searches; a click on a code-line hit in a module not open
# opens it with exactly the hit selected and gives that window the focus,
# so that what is typed next replaces the hit; Ctrl+F6 goes to the next
# code window and Ctrl+F4 closes one. The scenario asserts on the saved
# bytes; the in-process input tests hold a hit in an open module.
#
#   tests/x11/find_hit_test.sh BUILD_DIR
set -euo pipefail
source "$(dirname "$0")/lib.sh"
x11_begin "$0" "${1:?usage: find_hit_test.sh BUILD_DIR}"

# search WORD: Ctrl+Shift+F, WORD typed, Enter.
search() {
    x11_keys ctrl+shift+f
    x11_shot find-has-the-focus
    x11_type "$1"
    x11_mark_highlight
    x11_keys Return
}

# click_hit ROWS: clicks the first row of the result tree (the tree takes the
# focus; that row is no hit), walks ROWS rows down with the keyboard so that
# the hit is in view, and clicks it.
click_hit() {
    local at
    at=$(x11_new_highlight)
    [[ -n $at ]] || x11_fail "the search showed no result tree"
    x11_click $at
    x11_mark_highlight
    for _ in $(seq "$1"); do x11_keys Down; done
    at=$(x11_new_highlight)
    [[ -n $at ]] || x11_fail "no row of the result tree is selected"
    x11_click $at
}

a_hit_in_a_module_not_open_opens_it() {
    x11_fresh_project
    x11_start "$project/Example.vbp" --module modMain --line 11
    search mOwner
    x11_shot searched
    # The info row, the project, Class Modules, CAccount, then the first
    # hit: its declaration on code line 5 (line 18 of the file).
    click_hit 4
    x11_type ZZ
    x11_shot other-module
    x11_save "$project/CAccount.cls"
    sed '18s/mOwner/ZZ/' "$original/CAccount.cls" >"$x11_work/expected.cls"
    x11_same "$project/CAccount.cls" "$x11_work/expected.cls" \
        "the hit's module did not open with the hit selected"
    # Ctrl+F6: the next code window, modMain, with its caret where it was.
    x11_keys ctrl+F6
    x11_type Q
    x11_save "$project/modMain.bas"
    sed '12s/^/Q/' "$original/modMain.bas" >"$x11_work/expected.bas"
    x11_same "$project/modMain.bas" "$x11_work/expected.bas" "Ctrl+F6 did not go to modMain"
    # Ctrl+F4 closes modMain's window: the keys go to CAccount again.
    x11_keys ctrl+F4
    x11_type W
    x11_save "$project/CAccount.cls"
    sed '18s/mOwner/ZZW/' "$original/CAccount.cls" >"$x11_work/expected.cls"
    x11_same "$project/CAccount.cls" "$x11_work/expected.cls" "Ctrl+F4 did not close modMain's window"
    x11_stop
}

x11_run a_hit_in_a_module_not_open_opens_it
