#!/usr/bin/env bash
# Times the language server in-process (qvaddin-bench-lsp): on a generated
# module of about 5,000 lines, the diagnostics after a change, the code
# actions at a routine (each with its edits) and a module action resolved;
# then, with one module of a generated 1M-line project open, the server's
# memory (the whole project is loaded), every routine as workspace symbols
# and a whole-word search.
#
# Usage: bench/bench_lsp.sh [BUILD_DIR]      (default: build)
set -euo pipefail

source "$(dirname "$0")/bench_common.sh" "${1:-build}" bench_lsp
bench=$build/bench/qvaddin-bench-lsp
if [[ ! -x $bench ]]; then
    echo "bench_lsp: $bench is missing; build the target qvaddin-bench-lsp" >&2
    exit 2
fi

"$gen" --out "$work/small" --lines 5000 --lines-per-module 5000 > /dev/null
echo "== one module of about 5,000 lines"
"$bench" "$work/small/"*.bas --runs 20

"$gen" --out "$work/big" --lines 1000000 > /dev/null
echo "== a 1M-line project"
"$bench" --memory "$(ls "$work/big/"*.bas | head -1)"
