#!/usr/bin/env python3
"""Checks that every error location names the routine it stands in.

An error leaving a routine gets "Module.Routine(" put before its source by
QV_PASS_UP(module, "Routine") at the end of the routine's function-try-block.
The text is typed by hand, so it drifts when a function is renamed or a block
is copied. Here each text must be the name of the function it closes, or the
documented name of the add-in's routine that the function carries out (an
event handler such as cmdOK_Click, a property such as ListView): those are the
names that users see in error reports and that maintainers search for, listed
below per file and function.

Usage: scripts/check_error_locations.py [--list]   (run from anywhere)
"""
import os
import re
import sys

# file -> {function: documented name}
DOCUMENTED = {
    "src/ui/list_view_addon.cpp": {"SetListView": "ListView"},
    "src/ui/busy_guard.cpp": {"BusyGuard": "DisableViaFocus"},
    "src/stats/module_figures.cpp": {"GetModuleFigures": "DoStats"},
    "src/stats/stats_table.cpp": {"ProjectStatistics": "DoStats"},
    "src/findwindow/find_window.cpp": {"NodeClick": "TreeView1_NodeClick"},
    "src/mainwindow/routine_commands.cpp": {
        "RunModuleCommand": "Toolbar1_ButtonClick",
        "RunRoutineCommand": "Toolbar2_ButtonClick",
    },
    "src/mainwindow/project_browser.cpp": {
        "StatusPass": "cmdStatus_Click",
        "ListModules": "cboProjects_Click",
        "ModuleClicked": "lvModules_ItemClick",
        "ChooseModule": "display_Check",
        "RoutineClicked": "lvRoutines_ItemClick",
        "ShowRoutine": "GetRoutine",
        "RoutineRightClick": "lvRoutines_MouseDown",
        "GoToCode": "mnuCode_Click",
        "ModuleToolClicked": "Toolbar1_ButtonClick",
        "RoutineToolClicked": "Toolbar2_ButtonClick",
        "ShowDetails": "cmdStats_Click",
    },
    "src/mainwindow/options_page.cpp": {
        "AddOmit": "cmdAddOmit_Click",
        "RemoveOmit": "cmdRemoveOmit_Click",
        "Save": "cmdSaveError_Click",
        "Defaults": "cmdDefaults_Click",
    },
    "src/mainwindow/main_window.cpp": {
        "ApplyDisplayType": "Picture1_GotFocus",
        "RefreshProjects": "cmdList_Click",
        "DisplayTool": "Display_Tool",
        "DisplayCheck": "display_Check",
        "CopyExample": "cmdCopy_Click",
        "OpenContact": "lblEmail_Click",
        "CloseWindow": "cmdOK_Click",
    },
    "src/shell/hot_keys.cpp": {"UnregisterHotKeys": "UnRegisterHotKeys"},
    "src/shell/connection.cpp": {
        "Connect": "Class_Initialize",
        "OnConnection": "IDTExtensibility_OnConnection",
        "OnStartupComplete": "IDTExtensibility_OnStartupComplete",
        "OnDisconnection": "IDTExtensibility_OnDisconnection",
    },
    "src/shell/code_window_commands.cpp": {"CommentLine": "AddComment"},
}

LOCATION = re.compile(r'QV_PASS_UP\(\s*[\w"]+\s*,\s*"([^"]*)"\s*\)')
TRY_OPEN = re.compile(r"\btry\s*(:|\{|$)")


def enclosing_function(lines, at):
    """The name of the function whose function-try-block ends at line `at`:
    the signature that starts at column 0 above the nearest `try`."""
    for j in range(at - 1, -1, -1):
        if TRY_OPEN.search(lines[j]) and not lines[j].lstrip().startswith("//"):
            k = j
            while k > 0 and lines[k][:1] in (" ", "\t", ")"):
                k -= 1
            signature = " ".join(lines[k : j + 1])
            head = signature.split("(", 1)[0]
            names = re.findall(r"[A-Za-z_]\w*", head)
            return names[-1] if names else None
    return None


def main():
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    os.chdir(root)
    wrong, count = [], 0
    for folder, _, files in sorted(os.walk("src")):
        for name in sorted(files):
            if not name.endswith(".cpp"):
                continue
            path = os.path.join(folder, name)
            lines = open(path, encoding="utf-8").read().split("\n")
            documented = DOCUMENTED.get(path, {})
            for i, line in enumerate(lines):
                found = LOCATION.search(line)
                if not found or line.lstrip().startswith("//"):
                    continue
                count += 1
                function = enclosing_function(lines, i)
                text = found.group(1)
                expected = documented.get(function, function)
                if "--list" in sys.argv:
                    print(f"{path}:{i + 1}: {function} -> {text}")
                if text != expected:
                    wrong.append(f"{path}:{i + 1}: the location says {text!r}, "
                                 f"but it ends {function!r}" +
                                 (f" (documented as {expected!r})" if expected != function else ""))
    for message in wrong:
        print(message)
    print(f"{count} error locations, {len(wrong)} naming another routine")
    return 1 if wrong else 0


if __name__ == "__main__":
    sys.exit(main())
