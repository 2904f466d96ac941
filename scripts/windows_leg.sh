#!/usr/bin/env bash
# The Windows leg of the tests: cross-builds the engine libraries and their
# test programs for Windows with MinGW-w64 (cmake/mingw-w64.cmake; statically
# linked .exe files) and runs them under Wine. Called by scripts/test.sh;
# usable alone. Non-zero on any failure.
# Usage: scripts/windows_leg.sh [build-dir]   (default build-windows)
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${1:-build-windows}"

# The cross compiler and Wine are large: only this leg installs them.
# cmake and ninja-build configure and build; googletest brings the test
# framework's sources, built here for Windows.
packages=(cmake ninja-build googletest g++-mingw-w64-x86-64-posix wine64 wine)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}" >/dev/null
fi

start=$(date +%s)
launcher=()
command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build_dir" -G Ninja "${launcher[@]}" \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release \
  -DQV_BUILD_BENCH=OFF >/dev/null
cmake --build "$build_dir" -j "$(nproc)"

# A Wine prefix of its own, inside the build folder: 64-bit, quiet. The
# first start makes it (about 15 s); later runs reuse it.
export WINEPREFIX="$PWD/$build_dir/wine-prefix"
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono or Gecko installer dialogs
if [ ! -d "$WINEPREFIX/drive_c" ]; then
  echo "Making the Wine prefix in $WINEPREFIX"
fi
wineboot -i >/dev/null 2>&1

# The engine test programs, each under Wine (the toolchain file sets
# CMAKE_CROSSCOMPILING_EMULATOR, so ctest starts them so).
(cd "$build_dir" && ctest --output-on-failure -j "$(nproc)")

# WINDOWS GOLDEN RUN: once src/app/cli builds without Qt, this leg builds
# qvaddin.exe too (CMakeLists.txt, the programs) and runs the golden run
# against it here: tests/golden/check_golden.sh "wine $build_dir/qvaddin.exe".

wineserver -w  # the prefix's server ends a few seconds after the last program
echo "Windows leg passed in $(( $(date +%s) - start )) s."
