#!/usr/bin/env bash
# Times `qvaddin add` and `qvaddin number` on one module of 10,000, 50,000
# and 100,000 procedures: a module run edits routine after routine, so its
# time shows whether each edit costs in proportion to the module (the whole
# run then grows with the square of the procedures) or only to the routine.
#
# Usage: bench/bench_one_module.sh [BUILD_DIR]      (default: build)
#
# The module (written by this script) holds small functions, each with a
# comment line, two parameters, a declaration, an If block and a statement
# continued over two lines. For each size it times, each on a fresh copy:
#   add       a handler into every routine, the module written
#   add -n    the same with --dry-run: nothing written, the diff computed
#   number    line numbers on every routine, the module written
#   number -n the same with --dry-run
# Times are wall-clock seconds (user + system CPU in brackets).
set -euo pipefail

source "$(dirname "$0")/bench_common.sh" "${1:-build}" bench_one_module

fresh() {
    cp "$work/source.bas" "$work/modBig.bas"
    timed "$qvaddin" "$@" "$work/modBig.bas"
}

printf '%10s  %16s  %16s  %16s  %16s\n' procedures add "add -n" number "number -n"
for procedures in 10000 50000 100000; do
    big_module "$procedures" > "$work/source.bas"
    printf '%10s  ' "$procedures"
    add_number_row
done
