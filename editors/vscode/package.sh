#!/usr/bin/env bash
# Packages the VS Code extension as qvaddin-<version>.vsix, the version being
# the project's (CMakeLists.txt). Installs Node.js and npm from the
# distribution when they are missing, and the extension's client library and
# the packager (@vscode/vsce) from the npm registry, in a copy of this folder,
# so that the source tree stays as it is.
# Usage: editors/vscode/package.sh [output-folder]   (default: build/editors)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
out="$(mkdir -p "${1:-$root/build/editors}" && cd "${1:-$root/build/editors}" && pwd)"

if ! command -v npm >/dev/null 2>&1; then
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq nodejs npm >/dev/null
fi

version="$(sed -n 's/^project(qvaddin VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"
[ -n "$version" ] || { echo "package.sh: no version in CMakeLists.txt" >&2; exit 1; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp -r "$here/." "$work/"
cd "$work"
node -e '
  const fs = require("fs");
  const manifest = JSON.parse(fs.readFileSync("package.json", "utf8"));
  manifest.version = process.argv[1];
  fs.writeFileSync("package.json", JSON.stringify(manifest, null, 2) + "\n");
' "$version"
npm install --no-audit --no-fund --loglevel=error
npx --no-install vsce package --skip-license --allow-missing-repository \
  --out "$out/qvaddin-$version.vsix"
echo "$out/qvaddin-$version.vsix"
