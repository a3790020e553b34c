#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang, AddressSanitizer and UndefinedBehavior-
# Sanitizer, and runs each for the given time at low priority. Findings (crash-*, leak-*,
# timeout-*) land in build-fuzz/findings/<target>/; copy each into fuzz/regressions/<target>/.
#
#   bash scripts/fuzz.sh                     # every target, 10 minutes each, two at a time
#   bash scripts/fuzz.sh 60 lines workbook   # 60 seconds each, only these targets
#
# Each run ends with a line "<target>: <executions> executions, <edges> of <all> instrumented
# edges covered"; the growing corpus is kept in build-fuzz/corpus/<target>/ for the next run.
# BUILD_DIR chooses another folder than build-fuzz/; JOBS how many run at once (2).
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$repo/build-fuzz}
seconds=${1:-600}
[ $# -gt 0 ] && shift
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(workbookparts sheetxml workbook lines testertime)
jobs=${JOBS:-2}

cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DBRENMO_FUZZ=ON >/dev/null
cmake --build "$build" -j2 --target brenmo-fuzz-seeds "${targets[@]/#/fuzz_}"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

run_one() {
  local target=$1 corpus=$build/corpus/$1 findings=$build/findings/$1
  local log=$build/fuzz-$1.log
  mkdir -p "$corpus" "$findings"
  local seeds=("$repo/fuzz/seeds/$target")
  if [ "$target" = workbook ] || [ "$target" = workbookparts ]; then
    "$build/fuzz/brenmo-fuzz-seeds" "$build/seeds-workbook"
  fi
  if [ "$target" = workbook ]; then
    seeds=("$repo/tests/data/workbooks" "$build/seeds-workbook")
  elif [ "$target" = workbookparts ]; then
    python3 "$repo/fuzz/parts-from-workbook.py" "$build/seeds-workbookparts" \
      "$build"/seeds-workbook/*.xlsx
    seeds+=("$build/seeds-workbookparts")
  fi
  [ -d "$repo/fuzz/regressions/$target" ] && seeds+=("$repo/fuzz/regressions/$target")
  local extra=()
  case "$target" in
    sheetxml | workbookparts) extra+=("-dict=$repo/fuzz/xlsx.dict") ;;
  esac
  local status=0
  # Part files of a workbook can reach tens of megabytes; the limits keep a run sane.
  nice -n 10 "$build/fuzz/fuzz_$target" "$corpus" "${seeds[@]}" "${extra[@]}" \
    -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -max_len=262144 \
    -print_final_stats=1 -artifact_prefix="$findings/" >"$log" 2>&1 || status=$?
  local runs edges instrumented
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || true)
  edges=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | grep -o '[0-9]*' || true)
  # Every edge of the code built with coverage: the target and the libraries it links.
  instrumented=$(grep -o '([0-9]* inline 8-bit counters)' "$log" | grep -o '[0-9]*' | head -n 1 || true)
  echo "$target: ${runs:-?} executions in ${seconds} s, ${edges:-?} of ${instrumented:-?}" \
    "instrumented edges covered, exit $status (log: $log)"
  return "$status"
}

failed=0
running=0
for target in "${targets[@]}"; do
  run_one "$target" &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then
    wait -n || failed=1
    running=$((running - 1))
  fi
done
while [ "$running" -gt 0 ]; do
  wait -n || failed=1
  running=$((running - 1))
done
ls "$build"/findings/*/* 2>/dev/null && echo "findings above: replay with $build/fuzz/fuzz_<target> FILE"
exit "$failed"
