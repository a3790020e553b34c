#!/usr/bin/env bash
# Builds in release mode, runs every benchmark (each prints its own figures) and ends with one
# table of every figure against its target.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release
cmake --build build-bench -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen QT_QUICK_BACKEND=software
figures=$(mktemp)
trap 'rm -f "$figures"' EXIT
for bench in build-bench/bench/bench_*; do
  [ -f "$bench" ] && [ -x "$bench" ] || continue
  echo "== $(basename "$bench")"
  "$bench" | tee >(grep '^FIGURE' >>"$figures") | grep -v '^FIGURE' || true
  echo
done
sleep 0.2 # let the last tee's reader finish
echo "== Summary ($(nproc) cores)"
printf '%s\n' "figure	target	measured	result" | cat - <(cut -f2- "$figures") | column -t -s $'\t'
