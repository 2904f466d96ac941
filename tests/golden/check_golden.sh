#!/usr/bin/env bash
# Compares what commands of the command line print and write (golden_run.sh)
# with the stored texts in expected/<group>/<case>.txt, and shows a unified
# diff of every case that differs.
#
# Usage: tests/golden/check_golden.sh QVADDIN [GROUP...] [--update]
#   GROUP     the groups of golden_run.sh to run (all by default); the test
#             command runs each group as a test of its own, in parallel
#   --update  stores this build's texts (after a change that is meant);
#             review them with git diff before committing
#   --settings-in-registry
#             for a program that keeps its settings in the registry (the
#             Windows build): the settings file's changes are left out of
#             both texts before they are compared, and the groups that
#             plant values in the settings file are not run
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
if [ $# -lt 1 ]; then
  echo "usage: $0 QVADDIN [GROUP...] [--update]" >&2
  exit 2
fi
bin=$1
shift
update=false
registry=false
groups=()
for a in "$@"; do
  case $a in
    --update) update=true ;;
    --settings-in-registry) registry=true ;;
    *) groups+=("$a") ;;
  esac
done

# The text of a case as compared: as it is, or, for the Windows build,
# without the diff of the settings file (config/...: the settings are in the
# registry there), with the path separator of project-relative file names
# written as / (a diff names such a file in quotes, as git does), and
# without the blob names of a changed file (a comment stamp's date has the
# locale's form there; the diff itself still shows every line), and the
# registry key named where the settings file is.
comparable() {
  if $registry; then
    awk '/^diff --git /{skip = ($3 ~ /^a\/config\//)} !skip' "$1" |
      LC_ALL=C sed -E -e 's#^(---|\+\+\+) "([ab]/.*)"$#\1 \2#' \
        -e ':sep' -e 's#([^[:space:]/\\"])\\\\?([^[:space:]\\"]+\.(bas|cls|frm|ctl|dsr|vbp|vbg))#\1/\2#' -e 't sep' \
        -e 's#^index [0-9a-f]+\.\.[0-9a-f]+#index HASH..HASH#' \
        -e 's#HKEY_CURRENT_USER(\\{1,2}(Software|Brell Vantoke|qvaddin2))+#TREE/config/Brell Vantoke/qvaddin2.conf#'
  else
    cat "$1"
  fi
}
if [ ${#groups[@]} -eq 0 ]; then
  read -ra groups <<<"$("$here/golden_run.sh" --groups)"
  if $registry; then
    # The cases that plant values in the settings file have no file there.
    read -ra file_groups <<<"$("$here/golden_run.sh" --settings-file-groups)"
    for skip in "${file_groups[@]}"; do
      for i in "${!groups[@]}"; do [ "${groups[$i]}" = "$skip" ] && unset 'groups[i]'; done
    done
    groups=("${groups[@]}")
  fi
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failed=0
passed=0
for group in "${groups[@]}"; do
  "$here/golden_run.sh" "$bin" "$work/$group" "$group" >/dev/null || exit 2
  want=$here/expected/$group
  if $update; then
    rm -rf "$want"
    mkdir -p "$want"
    cp "$work/$group"/*.txt "$want/"
    echo "$group: stored $(ls "$want" | wc -l) cases"
    continue
  fi
  for got in "$work/$group"/*.txt; do
    name=$(basename "$got")
    if [ ! -f "$want/$name" ]; then
      echo "new case (not in expected/$group): ${name%.txt}"
      failed=$((failed + 1))
    elif ! diff -u --label "expected/$group/$name" --label "this build" \
           <(comparable "$want/$name") <(comparable "$got"); then
      failed=$((failed + 1))
    else
      passed=$((passed + 1))
    fi
  done
  for stored in "$want"/*.txt; do
    [ -e "$stored" ] || continue
    [ -f "$work/$group/$(basename "$stored")" ] ||
      { echo "missing case: $group/$(basename "$stored" .txt)"; failed=$((failed + 1)); }
  done
done
$update && exit 0
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
