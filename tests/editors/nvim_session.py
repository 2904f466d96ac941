#!/usr/bin/env python3
"""Neovim with the shipped set-up (editors/nvim) against the command line.

Usage: nvim_session.py QVADDIN SOURCE_DIR [--fetched FOLDER]

With --fetched, the Neovim is the newer one fetch_nvim.py unpacks into
FOLDER (the distribution's is older than 0.8); when it cannot be fetched the
session is skipped with a note (exit code 77).

Runs nvim_session.lua in a headless Neovim on a copy of the example
project and checks what the editor got: diagnostics on the declaration
lines that `qvaddin check` names, the "add error handling" action written
as `qvaddin add --routine` writes it, formatting as `qvaddin tidy --module`
writes it, and a refused action that shows its message when chosen.
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile

ROUTINE = "TotalBalance"
SKIPPED = 77
MODULE = "modMain"


def run(args, **kwargs):
    return subprocess.run(args, capture_output=True, timeout=300, **kwargs)


def cli_result(qvaddin, module_bytes, command):
    """The module file after the command line ran the command on it."""
    with tempfile.TemporaryDirectory() as folder:
        path = os.path.join(folder, MODULE + ".bas")
        with open(path, "wb") as f:
            f.write(module_bytes)
        done = run([qvaddin, *command[:1], path, *command[1:]])
        if done.returncode != 0:
            sys.exit(f"qvaddin {' '.join(command)} failed: {done.stderr.decode()}")
        with open(path, "rb") as f:
            return f.read()


def declaration_lines(qvaddin, project_dir):
    """The lines of MODULE that check's SARIF results point at."""
    done = run([qvaddin, "--format", "sarif", "check", os.path.join(project_dir, "Example.vbp")])
    if done.returncode not in (0, 1):
        sys.exit("qvaddin check failed: " + done.stderr.decode())
    lines = []
    for result in json.loads(done.stdout)["runs"][0]["results"]:
        location = result["locations"][0]["physicalLocation"]
        if location["artifactLocation"]["uri"].endswith(MODULE + ".bas"):
            lines.append(location["region"]["startLine"])
    return sorted(lines)


def neovim(source):
    """The command that starts Neovim, and the variables it needs."""
    if len(sys.argv) < 5 or sys.argv[3] != "--fetched":
        return ["nvim"], {}
    folder = os.path.abspath(sys.argv[4])
    done = run([sys.executable, os.path.join(source, "tests", "editors", "fetch_nvim.py"), folder])
    if done.returncode == 2:
        print("NOTE: no newer Neovim to try, the session is skipped: " + done.stdout.decode().strip())
        sys.exit(SKIPPED)
    if done.returncode != 0:
        sys.exit("fetching Neovim failed: " + done.stderr.decode() + done.stdout.decode())
    command = json.loads(done.stdout.decode().strip().splitlines()[-1])
    runtime = os.path.join(folder, "root", "usr", "share", "nvim", "runtime")
    return command, {"VIMRUNTIME": runtime}


def main():
    qvaddin, source = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    nvim_command, nvim_env = neovim(source)
    failures = []
    checks = []

    def expect(condition, text):
        checks.append(text)
        if not condition:
            failures.append(text)

    with tempfile.TemporaryDirectory() as work:
        project = os.path.join(work, "project")
        shutil.copytree(os.path.join(source, "examples"), project)
        original = open(os.path.join(project, MODULE + ".bas"), "rb").read()
        expected_lines = declaration_lines(qvaddin, project)
        out = os.path.join(work, "seen.json")
        env = dict(os.environ, QV_PROGRAM=qvaddin, QV_FILE=os.path.join(project, MODULE + ".bas"),
                   QV_OUT=out, QV_ROUTINE=ROUTINE, HOME=work, XDG_CONFIG_HOME=os.path.join(work, "config"),
                   XDG_DATA_HOME=os.path.join(work, "data"), XDG_STATE_HOME=os.path.join(work, "state"),
                   **nvim_env)
        nvim = run([*nvim_command, "--headless", "--clean",
                    "--cmd", "set rtp^=" + os.path.join(source, "editors", "nvim"),
                    "-c", "luafile " + os.path.join(source, "tests", "editors", "nvim_session.lua")],
                   env=env, stdin=subprocess.DEVNULL)
        if nvim.returncode != 0 or not os.path.exists(out):
            sys.exit(f"nvim failed ({nvim.returncode}): {nvim.stderr.decode()}{nvim.stdout.decode()}")
        seen = json.load(open(out))
        print(f"Neovim {seen['version']}: " + json.dumps(seen))

        expect(seen["filetype"] == "vb", f"file type {seen['filetype']}, not vb")
        expect(seen["diagnostic_lines"] == expected_lines,
               f"diagnostics on lines {seen['diagnostic_lines']}, check names {expected_lines}")

        added = open(out + ".added", "rb").read()
        expect(added == cli_result(qvaddin, original, ["add", "--routine", ROUTINE]),
               "the add action, written, differs from qvaddin add --routine")

        expect(seen["refusal"] == "Error handling is already in this procedure!",
               f"the refused action showed {seen['refusal']!r}")
        expect(not seen["refusal_changed"], "the refused action changed the text")

        unindented = open(out + ".unindented", "rb").read()
        formatted = open(out + ".formatted", "rb").read()
        expect(formatted != unindented, "formatting changed nothing")
        expect(formatted == cli_result(qvaddin, unindented, ["tidy", "--module", MODULE]),
               "formatting, written, differs from qvaddin tidy --module")

    for failure in failures:
        print("FAILED: " + failure)
    print(f"{len(checks) - len(failures)} passed, {len(failures)} failed")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
