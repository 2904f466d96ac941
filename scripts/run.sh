#!/usr/bin/env bash
# Sets up, builds and runs qvaddin on the bundled example project.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo
./build/src/app/cli/qvaddin list examples/Example.vbp
