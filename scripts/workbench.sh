#!/usr/bin/env bash
# Sets up, builds and starts qvaddin-workbench on the bundled example
# project. Extra arguments go to the workbench (for example
# --module modMain --line 12).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
exec ./build/src/app/workbench/qvaddin-workbench examples/Example.vbp "$@"
