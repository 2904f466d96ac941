#!/usr/bin/env bash
# Installs what the build needs when it is missing, configures and builds.
# Usage: [QV_BUILD_TARGET=target] scripts/setup.sh <build-dir> [cmake options...]
set -euo pipefail
cd "$(dirname "$0")/.."

# qt6-svg-dev draws the windows' icons, which are SVG files compiled in;
# xvfb, xdotool and imagemagick drive the windows in a real X server and
# take screenshots of them (tests/ui/README.md); python3-jsonschema
# validates the SARIF output against its schema (tests/sarif); Neovim is the
# real editor the language server is tried in (tests/editors); man-db reads
# the installed manual pages and dpkg-dev and file let cpack make the .deb
# (tests/install); acl and attr give the tests setfacl and setfattr, to prove
# that a rewritten file keeps its access list and extended attributes, and
# patch applies a dry run's diff; nlohmann-json3-dev is the JSON of the
# command line and the language server (header-only).
packages=(cmake ninja-build g++ qt6-base-dev qt6-svg-dev nlohmann-json3-dev libgl-dev libgtest-dev libgmock-dev
          libbenchmark-dev xvfb xdotool imagemagick python3 python3-jsonschema neovim man-db
          dpkg-dev file acl attr patch)
scripts/install_packages.sh "${packages[@]}"

build_dir="$1"; shift
source scripts/compiler_cache.sh
cmake -S . -B "$build_dir" -G Ninja "${launcher[@]}" "$@" >/dev/null
# QV_BUILD_TARGET builds one target (and what it needs) instead of all.
cmake --build "$build_dir" -j "$(nproc)" ${QV_BUILD_TARGET:+--target "$QV_BUILD_TARGET"}
