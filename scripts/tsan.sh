#!/usr/bin/env bash
# Builds the command line and its tests with the thread sanitizer (in
# build-tsan, without the windows) and runs what works on several threads:
# the side-by-side runner's tests, the read-only commands run ten times over
# a project with a broken module, and every read-only command on a generated
# project of many modules. Any data race stops the run with its report.
# Not part of scripts/test.sh: a build of its own costs more than it finds
# on each run; run it after changing what the threads share.
#
#   scripts/tsan.sh [--lines N]   (size of the generated project, default 200000)
set -euo pipefail
cd "$(dirname "$0")/.."
lines=200000
if [[ ${1:-} == --lines ]]; then lines=$2; fi

build=build-tsan
QV_BUILD_TARGET=qvaddin scripts/setup.sh "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DQV_SANITIZE_THREAD=ON -DQV_WITH_QT=OFF -DQV_BUILD_BENCH=OFF
cmake --build "$build" -j "$(nproc)" --target analysis_tests cli_tests qv_test_generator

export TSAN_OPTIONS="halt_on_error=1 exitcode=66 second_deadlock_stack=1"
"$build"/tests/analysis/analysis_tests --gtest_brief=1
"$build"/tests/cli/cli_tests --gtest_brief=1 --gtest_filter='RepeatRuns*'

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build"/tests/cli/qv_test_generator --out "$work" --lines "$lines" --projects 2 >/dev/null
qvaddin=$build/src/app/cli/qvaddin
# The target goes where @ stands (find takes its text after the target).
for command in "list @" "check --routines @" "stats @" "find --whole-word @ result" \
               "--format json check @" "--format sarif check @"; do
    # shellcheck disable=SC2086  # the command's words split on purpose
    set -- ${command/@/$work/Bench.vbg}
    status=0
    "$qvaddin" "$@" >/dev/null 2>"$work/err" || status=$?
    if [[ $status -ne 0 && $status -ne 1 ]]; then
        cat "$work/err" >&2
        echo "tsan.sh: '$command' ended with $status" >&2
        exit 1
    fi
    echo "ok: ${command/ @/}"
done
echo "No data race found."
