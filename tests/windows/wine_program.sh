#!/usr/bin/env bash
# Starts a Windows program under Wine as if it were a program of this
# machine: the arguments, the output and the exit code pass through. The
# program is QV_WINE_PROGRAM (an .exe); WINEPREFIX and the rest of Wine's
# environment come from the caller (scripts/windows_leg.sh).
#
# Wine itself now and then ends a program with an unhandled page fault on a
# loaded machine (seen about once in a hundred starts, never on a quiet one),
# or loses its connection to the Wine server ("wine client error" on
# standard error, the program ended without output). Such a run, and
# only such a run, is started again, at most twice, and each one is written
# to QV_WINE_CRASH_LOG (where set) so that the leg reports how often it
# happened; a fault of the program's own repeats and still fails.
# Standard input is not replayed: use this for runs without it. The golden
# run and the engine test programs (through ctest) start programs so.
set -uo pipefail
program=${QV_WINE_PROGRAM:?the .exe to run}
out=$(mktemp)
err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
for attempt in 1 2 3; do
  wine "$program" "$@" >"$out" 2>"$err" </dev/null
  rc=$?
  wine_fault='^wine: Unhandled page fault|^wine client error'
  grep -Eq "$wine_fault" "$err" || break
  [ -n "${QV_WINE_CRASH_LOG:-}" ] &&
    echo "attempt $attempt of: $(basename "$program") $*: $(grep -Em1 "$wine_fault" "$err")" \
      >>"$QV_WINE_CRASH_LOG"
done
cat "$out"
cat "$err" >&2
exit "$rc"
