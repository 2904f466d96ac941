#!/usr/bin/env bash
# The Windows leg of the tests: cross-builds qvaddin.exe, the libraries and
# the engine test programs for Windows with MinGW-w64 (cmake/mingw-w64.cmake;
# statically linked .exe files) and runs under Wine: the engine tests, the
# golden run of the command line, and the end-to-end checks of
# tests/windows/end_to_end.sh (files, the language server, the registry,
# Ctrl+C).
# Called by scripts/test.sh; usable alone. Non-zero on any failure.
# Usage: scripts/windows_leg.sh [build-dir] [linux-qvaddin]
#   build-dir      default build-windows
#   linux-qvaddin  the Linux program whose language-server answers the
#                  Windows one must repeat (default build/src/app/cli/qvaddin,
#                  where it exists)
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir="${1:-build-windows}"
linux_qvaddin="${2:-build/src/app/cli/qvaddin}"

# The cross compiler and Wine are large: only this leg installs them.
# cmake and ninja-build configure and build; googletest brings the test
# framework's sources, built here for Windows.
# nlohmann-json: the JSON of the command line; python3 reads the
# language-server session of the end-to-end checks.
packages=(cmake ninja-build googletest nlohmann-json3-dev python3 g++-mingw-w64-x86-64-posix wine64 wine)
scripts/install_packages.sh "${packages[@]}"

start=$(date +%s)
source scripts/compiler_cache.sh
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

# A run of Wine that ends with Wine's own page fault is started again, at
# most twice (tests/windows/wine_program.sh), and noted here.
crash_log="$PWD/$build_dir/wine-crashes.log"
rm -f "$crash_log"
export QV_WINE_CRASH_LOG="$crash_log"

# The engine test programs, each under Wine through that wrapper. Each
# keeps its settings under a registry key of its own beneath this one,
# removed at its end; a program that crashed leaves its key, cleared here.
wine reg delete 'HKCU\Software\qvaddin tests' /f >/dev/null 2>&1 || true
tests_start=$(date +%s)
(cd "$build_dir" && ctest --output-on-failure -j "$(nproc)")
tests_took=$(( $(date +%s) - tests_start ))

# One file, no DLLs of its own: only the system's.
exe="$build_dir/src/app/cli/qvaddin.exe"
dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
for dll in $dlls; do
  case $dll in
    kernel32.dll|advapi32.dll|msvcrt.dll|user32.dll|shell32.dll|ole32.dll|ws2_32.dll) ;;
    *) echo "FAIL  qvaddin.exe needs $dll beside it"; exit 1 ;;
  esac
done
echo "PASS  qvaddin.exe needs only system DLLs: $(echo $dlls)"

# The golden run against qvaddin.exe. The settings are in the registry on
# Windows: the comparison leaves out the settings file, and the settings
# are cleared first so that the run starts as on a fresh machine.
wine reg delete 'HKCU\Software\Brell Vantoke' /f >/dev/null 2>&1 || true
golden_start=$(date +%s)
golden() {  # <log> <group>...: the golden run of those groups, its verdict in the log
  local log=$1; shift
  QV_WINE_PROGRAM="$PWD/$exe" \
    tests/golden/check_golden.sh tests/windows/wine_program.sh --settings-in-registry "$@" \
    >"$log" 2>&1
}
# Each start of Wine waits mostly on itself: the groups run in two streams
# side by side. The settings are in one registry, so the groups that store
# settings run alone after them (the groups that plant a settings file have
# no case here).
read -ra all_groups <<<"$(tests/golden/golden_run.sh --groups)"
read -ra later_groups <<<"settings $(tests/golden/golden_run.sh --settings-file-groups)"
streams=("" "")
n=0
for group in "${all_groups[@]}"; do
  [[ " ${later_groups[*]} " == *" $group "* ]] && continue
  streams[n % 2]+=" $group"
  n=$((n + 1))
done
golden_status=0
golden "$build_dir/golden-a.log" ${streams[0]} & first=$!
golden "$build_dir/golden-b.log" ${streams[1]} & second=$!
wait "$first" || golden_status=1
wait "$second" || golden_status=1
golden "$build_dir/golden-c.log" settings || golden_status=1
cat "$build_dir"/golden-[abc].log
golden_took=$(( $(date +%s) - golden_start ))
[ "$golden_status" -eq 0 ] || { echo "FAIL  the golden run of qvaddin.exe"; exit 1; }
if [ -s "$crash_log" ]; then
  echo "NOTE  Wine ended $(wc -l <"$crash_log") run(s) with a page fault; started again:"
  cat "$crash_log"
fi

# Files, the language server and the registry, end to end.
linux_args=()
[ -x "$linux_qvaddin" ] && linux_args=("$linux_qvaddin")
end_start=$(date +%s)
tests/windows/end_to_end.sh "$exe" "${linux_args[@]}"
end_took=$(( $(date +%s) - end_start ))

wineserver -w  # the prefix's server ends a few seconds after the last program
echo "Windows leg passed in $(( $(date +%s) - start )) s (test programs $tests_took s, golden run $golden_took s, end to end $end_took s)."
