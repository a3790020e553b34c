#!/usr/bin/env bash
# Line coverage that the fuzzers' corpora reach in the code each target is for: replays
# build-fuzz/corpus/<target>/ (left by scripts/fuzz.sh) and the seeds through the replay
# programs built with clang's source coverage, and prints llvm-cov's table per target.
#
#   bash scripts/fuzz-coverage.sh [target...]
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$repo/build-fuzzcov}
corpora=${CORPORA:-$repo/build-fuzz/corpus}
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(lines testertime workbook workbookparts sheetxml)

flags="-fprofile-instr-generate -fcoverage-mapping"
cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DBUILD_TESTING=OFF \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" >/dev/null
cmake --build "$build" -j2 --target "${targets[@]/#/fuzz_}"

# The sources each target is meant to exercise.
sources_of() {
  case "$1" in
    lines | testertime) echo "$repo/device/lineformat.cpp" ;;
    workbook | workbookparts)
      ls "$repo"/files/*.cpp | grep -v xlsxwriter.cpp ;;
    sheetxml)
      echo "$repo/files/xlsxsheetparser.cpp $repo/files/cellreference.cpp $repo/files/xlsxdates.cpp" ;;
  esac
}

for target in "${targets[@]}"; do
  inputs=("$repo/fuzz/seeds/$target" "$repo/fuzz/regressions/$target" "$corpora/$target")
  [ "$target" = workbook ] && inputs+=("$repo/tests/data/workbooks")
  existing=()
  for input in "${inputs[@]}"; do [ -d "$input" ] && existing+=("$input"); done
  rm -f "$build"/fuzz-"$target"-*.profraw
  LLVM_PROFILE_FILE="$build/fuzz-$target-%p.profraw" \
    "$build/fuzz/fuzz_$target" "${existing[@]}" | tail -n 1
  llvm-profdata merge -sparse "$build"/fuzz-"$target"-*.profraw -o "$build/$target.profdata"
  echo "== $target"
  # shellcheck disable=SC2046
  llvm-cov report "$build/fuzz/fuzz_$target" -instr-profile="$build/$target.profdata" \
    $(sources_of "$target") | sed "s|$repo/||"
  if [ "$target" = testertime ]; then
    llvm-cov report "$build/fuzz/fuzz_$target" -instr-profile="$build/$target.profdata" \
      -show-functions "$repo/device/lineformat.cpp" | grep -E "DateTime|Filename" || true
  fi
done
