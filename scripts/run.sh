#!/usr/bin/env bash
# Sets up, builds the command-line tool alone (not the tests and benchmarks,
# which scripts/test.sh builds) and runs it on the bundled example project.
set -euo pipefail
cd "$(dirname "$0")/.."
QV_BUILD_TARGET=qvaddin scripts/setup.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo
./build/src/app/cli/qvaddin list examples/Example.vbp
