#!/usr/bin/env bash
# The workbench's code window at the keyboard, in a real X server: the
# error-handling hot key writes what the command line writes; Ctrl+Z,
# Ctrl+Y and Ctrl+Shift+Z undo and redo it; a typed line is one undo step,
# keeps the indentation of the line above and marks the window changed;
# Tab inserts spaces to the next tab stop; Insert switches to overwriting.
# Each scenario asserts on the saved bytes or on the window's title. The
# in-process input tests hold the finer cases of each key (a selection
# indented and outdented, an edit inside a line marked at once).
#
#   tests/x11/editor_keys_test.sh BUILD_DIR
set -euo pipefail
source "$(dirname "$0")/lib.sh"
x11_begin "$0" "${1:?usage: editor_keys_test.sh BUILD_DIR}"

# modMain's code line N is line N + 1 of its file (one hidden Attribute line).
main=modMain.bas

hot_key_writes_what_the_command_line_writes_and_undoes() {
    x11_fresh_project
    local cli=$x11_work/cli
    mkdir -p "$cli" && cp "$original"/* "$cli"/ && chmod u+w "$cli"/*
    "$x11_cli" add --module modMain --routine Main "$cli/Example.vbp" >/dev/null
    x11_start "$project/Example.vbp" --module modMain --line 11
    x11_keys ctrl+shift+e
    x11_shot hot-key
    x11_save "$project/$main"
    x11_same "$project/$main" "$cli/$main" "Ctrl+Shift+E, Ctrl+S: not the bytes of qvaddin add --routine"
    for other in CAccount.cls frmMain.frm; do
        x11_same "$project/$other" "$original/$other" "$other changed"
    done
    x11_keys ctrl+z
    x11_save "$project/$main"
    x11_same "$project/$main" "$original/$main" "Ctrl+Z, Ctrl+S: not the original bytes"
    x11_keys ctrl+y
    x11_save "$project/$main"
    x11_same "$project/$main" "$cli/$main" "Ctrl+Y did not redo the command"
    x11_keys ctrl+z ctrl+shift+z
    x11_save "$project/$main"
    x11_same "$project/$main" "$cli/$main" "Ctrl+Shift+Z did not redo the command"
    x11_stop
}

typed_line_keeps_the_indentation_and_undoes_in_one_step() {
    x11_fresh_project
    x11_start "$project/Example.vbp" --module modMain --line 11
    x11_keys End
    [[ $(x11_title) != *"[design]*"* ]] || x11_fail "marked changed before any change: $(x11_title)"
    x11_keys Return
    x11_type "x = 1"
    x11_shot typed-line
    [[ $(x11_title) == *"[design]*"* ]] || x11_fail "the typed line is not marked: $(x11_title)"
    x11_save "$project/$main"
    [[ $(x11_code_line "$project/$main" 12) == "    x = 1" ]] ||
        x11_fail "Return did not keep the indentation: '$(x11_code_line "$project/$main" 12)'"
    sed '13i\    x = 1\r' "$original/$main" >"$x11_work/typed.bas"
    x11_same "$project/$main" "$x11_work/typed.bas" "the typed line was not saved as typed"
    x11_keys ctrl+z
    x11_save "$project/$main"
    x11_same "$project/$main" "$original/$main" "Ctrl+Z did not remove the typed line"
    x11_stop
}

tab_stops_and_overwrite() {
    x11_fresh_project
    x11_start "$project/Example.vbp" --module modMain --line 11
    x11_keys End Return
    x11_type "'a"
    x11_keys Tab
    x11_type "b"
    x11_save "$project/$main"
    [[ $(x11_code_line "$project/$main" 12) == "    'a  b" ]] ||
        x11_fail "Tab did not insert spaces to the next tab stop: '$(x11_code_line "$project/$main" 12)'"
    x11_keys Home Insert
    x11_type "XX"
    x11_shot overwriting
    x11_keys Insert
    x11_type "Y"
    x11_save "$project/$main"
    [[ $(x11_code_line "$project/$main" 12) == "XXY  'a  b" ]] ||
        x11_fail "Insert did not switch to overwriting and back: '$(x11_code_line "$project/$main" 12)'"
    x11_stop
}

x11_run hot_key_writes_what_the_command_line_writes_and_undoes \
        typed_line_keeps_the_indentation_and_undoes_in_one_step \
        tab_stops_and_overwrite
