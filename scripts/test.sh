#!/usr/bin/env bash
# Sets up, builds and runs every test twice: a normal build and a build with
# the address and undefined-behaviour sanitizers (the engines, the command
# line and the language server: everything a file's bytes reach; the windows
# only in the normal build, see the README); then runs each fuzz target
# a fixed number of runs with a fixed seed under the sanitizers
# (scripts/fuzz.sh --fixed), so that a result never depends on luck; then
# cross-builds for Windows and runs the engine tests under Wine
# (scripts/windows_leg.sh). Non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo
(cd build && ctest --output-on-failure -j "$(nproc)")

scripts/setup.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DQV_SANITIZE=ON -DQV_BUILD_BENCH=OFF \
  -DQV_WITH_QT=OFF
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --output-on-failure -j "$(nproc)")
scripts/fuzz.sh --fixed
scripts/windows_leg.sh  # the Windows build under Wine (MinGW-w64 cross-build)
echo "All tests passed."
