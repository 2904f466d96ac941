#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/) with clang, the address and the
# undefined-behaviour sanitizers, and runs each, seeded from the example
# project, the test fixtures and fuzz/seeds. The inputs in
# fuzz/regressions/<target>/ (faults found earlier) run first. Prints the
# executions per second of every target; non-zero when one fails.
#
# Usage: scripts/fuzz.sh [seconds per target, default 60] [build-dir]
#          explores with a fresh random seed for that long: run it before
#          each stop; a fault it finds becomes a regression input and a fix.
#        scripts/fuzz.sh --fixed [build-dir]
#          the test command's leg: a fixed seed and a fixed number of runs
#          per target (about ten seconds each here), so that the same code
#          always passes or always fails.
set -euo pipefail
cd "$(dirname "$0")/.."

fixed=false
if [ "${1:-}" = --fixed ]; then
  fixed=true
  shift
  seconds=0
else
  seconds="${1:-60}"
  [ $# -gt 0 ] && shift
fi
build_dir="${1:-build-fuzz}"

# The runs of each target in the fixed leg.
declare -A fixed_runs=(
  [module_loader_fuzz]=30000 [project_file_fuzz]=300000 [like_fuzz]=200000
  [tidy_fuzz]=16000 [status_fuzz]=30000 [line_numbers_fuzz]=100000
  [code_changes_fuzz]=4000 [lsp_fuzz]=3000 [find_fuzz]=100000)

# clang and its fuzzer library, on a fresh Debian machine.
probe='extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }'
if ! command -v clang++ >/dev/null 2>&1 ||
   ! echo "$probe" | clang++ -x c++ -fsanitize=fuzzer - -o /dev/null >/dev/null 2>&1; then
  echo "Installing: clang libclang-rt-dev"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq clang libclang-rt-dev >/dev/null
fi

source scripts/compiler_cache.sh
cmake -S . -B "$build_dir" -G Ninja "${launcher[@]}" \
  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQV_FUZZ=ON \
  -DQV_BUILD_TESTS=OFF -DQV_BUILD_BENCH=OFF >/dev/null
cmake --build "$build_dir" --target qv_fuzz_targets -j "$(nproc)"

work="$(mktemp -d /tmp/qv-fuzz-XXXXXX)"
trap 'rm -rf "$work"' EXIT

# Module files; with a first byte that picks the module type (0 .bas, 1 .cls,
# 2 .frm) or, for the engines, settings and the module type.
# Sorted, so that the corpus of the fixed leg is the same on every clone.
modules=$(find examples tests -type f \( -iname '*.bas' -o -iname '*.cls' -o -iname '*.frm' \) | LC_ALL=C sort)
seed_modules() {  # <corpus folder> <whole|code>
  local folder="$1" part="$2" n=0
  mkdir -p "$folder"
  for file in $modules; do
    local type=0
    case "${file,,}" in *.cls) type=1 ;; *.frm) type=2 ;; esac
    n=$((n + 1))
    {
      printf "\\x$(printf %02x "$type")"
      if [ "$part" = whole ]; then
        cat "$file"
      else
        # The code after the header's Attribute VB_ lines.
        awk 'f { print } /^Attribute VB_/ { h = 1; next } h && !f { f = 1; print }' "$file"
      fi
    } >"$folder/$n"
  done
}

# The fixed leg repeats itself only at fixed addresses: the fuzzer keeps the
# operands of compares (pointers among them) as material for its mutations,
# and it reloads its corpus on a timer unless told not to.
no_aslr=(env)
if $fixed; then
  if setarch "$(uname -m)" -R true 2>/dev/null; then
    no_aslr=(setarch "$(uname -m)" -R)
  else
    echo "note: address randomisation cannot be turned off here; the fixed leg may vary"
  fi
fi

# One target: seeds its corpus, runs, and leaves its exit status in
# $work/<target>.status and its output in $work/<target>.log.
run_target() {
  local target=$1
  local corpus="$work/$target"
  # Each target keeps its settings in a folder of its own, never in the
  # user's folder nor where a target running beside it writes.
  export QV_FUZZ_CONFIG_HOME="$work/config/$target"
  mkdir -p "$QV_FUZZ_CONFIG_HOME"
  mkdir -p "$corpus"
  case "$target" in
    module_loader_fuzz) seed_modules "$corpus" whole ;;
    project_file_fuzz)
      n=0
      while IFS= read -r file; do
        n=$((n + 1))
        cp "$file" "$corpus/$n"
      done < <(find examples tests -type f \( -iname '*.vbp' -o -iname '*.vbg' \) | LC_ALL=C sort) ;;
    like_fuzz) ;;
    *) seed_modules "$corpus" code ;;
  esac
  [ -d "fuzz/seeds/$target" ] && cp fuzz/seeds/"$target"/* "$corpus"/
  local regressions="fuzz/regressions/$target"
  mkdir -p "$work/artifacts/$target"
  local bounds
  if $fixed; then
    bounds=(-seed=1 -runs="${fixed_runs[$target]}" -reload=0)
  else
    bounds=(-max_total_time="$seconds")
  fi
  local status=0
  "${no_aslr[@]}" "$build_dir/fuzz/$target" "$corpus" $( [ -d "$regressions" ] && echo "$regressions" ) \
    "${bounds[@]}" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$work/artifacts/$target/" >"$work/$target.log" 2>&1 || status=$?
  echo "$status" >"$work/$target.status"
}

# The targets run side by side, one per core: each is single-threaded, and
# its runs depend only on its seed and its run count, not on the others.
targets=(module_loader_fuzz project_file_fuzz like_fuzz tidy_fuzz status_fuzz
         line_numbers_fuzz code_changes_fuzz lsp_fuzz find_fuzz)
for target in "${targets[@]}"; do
  while [ "$(jobs -rp | wc -l)" -ge "$(nproc)" ]; do wait -n || true; done
  run_target "$target" &
done
wait

failed=()
summary=()
for target in "${targets[@]}"; do
  log="$work/$target.log"
  status=$(cat "$work/$target.status" 2>/dev/null || echo 1)
  runs=$(grep -ao 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo 0)
  speed=$(grep -ao 'stat::average_exec_per_sec: *[0-9]*' "$log" | grep -o '[0-9]*$' || echo 0)
  summary+=("$(printf '%-20s %10s runs %8s exec/s' "$target" "$runs" "$speed")")
  if [ "$status" -ne 0 ]; then
    failed+=("$target")
    mkdir -p "$build_dir/fuzz-artifacts/$target"
    cp "$work/artifacts/$target"/* "$build_dir/fuzz-artifacts/$target"/ 2>/dev/null || true
    grep -aE 'ERROR|invariant|SUMMARY|Test unit written' "$log" | head -20 || true
  fi
done

printf '%s\n' "${summary[@]}"
if [ ${#failed[@]} -gt 0 ]; then
  echo "Fuzzing found faults in: ${failed[*]} (inputs kept in $build_dir/fuzz-artifacts)"
  exit 1
fi
if $fixed; then
  echo "Fuzzing with the fixed seed found nothing."
else
  echo "Fuzzing found nothing in ${seconds}s per target."
fi
