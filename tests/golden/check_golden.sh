#!/usr/bin/env bash
# Compares what every command of the command line prints and writes with the
# stored digests in expected.sha256 (one per case of golden_run.sh). A case
# that differs is named; to see how, record the run of the build before the
# change and of this one with golden_run.sh and compare the two with diff -r.
#
# Usage: tests/golden/check_golden.sh QVADDIN [--update]
#   --update  stores this build's digests (after a change that is meant).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
if [ $# -lt 1 ]; then
  echo "usage: $0 QVADDIN [--update]" >&2
  exit 2
fi
bin=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$here/golden_run.sh" "$bin" "$work/run" >/dev/null
(
  cd "$work/run"
  for c in *; do
    digest=$(cat "$c/args" "$c/rc" "$c/stdout" "$c/stderr" "$c/files" | sha256sum | cut -d' ' -f1)
    echo "$digest $c"
  done
) >"$work/digests"

if [ "${2:-}" = --update ]; then
  cp "$work/digests" "$here/expected.sha256"
  echo "stored the digests of $(wc -l <"$work/digests") cases"
  exit 0
fi

failed=0
while read -r digest name; do
  want=$(awk -v n="$name" '$2 == n { print $1 }' "$here/expected.sha256")
  if [ -z "$want" ]; then
    echo "new case (not in expected.sha256): $name"
    failed=$((failed + 1))
  elif [ "$want" != "$digest" ]; then
    echo "differs: $name"
    failed=$((failed + 1))
  fi
done <"$work/digests"
while read -r _ name; do
  grep -q " $name\$" "$work/digests" || { echo "missing case: $name"; failed=$((failed + 1)); }
done <"$here/expected.sha256"
total=$(wc -l <"$work/digests")
echo "$((total - failed)) passed, $failed failed"
[ "$failed" -eq 0 ]
