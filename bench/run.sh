#!/usr/bin/env bash
# Builds in release mode, runs every benchmark (each prints its own figures) and ends with one
# table of every figure against its target, with the machine's core count and load: the
# times are wall times, so a busy machine shows in them.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release
cmake --build build-bench -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen QT_QUICK_BACKEND=software
figures=$(mktemp)
output=$(mktemp)
trap 'rm -f "$figures" "$output"' EXIT
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
for bench in build-bench/bench/bench_*; do
  [ -f "$bench" ] && [ -x "$bench" ] || continue
  name=$(basename "$bench")
  echo "== $name"
  status=0
  "$bench" >"$output" || status=$?
  grep -v '^FIGURE' "$output" || true
  grep '^FIGURE' "$output" >>"$figures" || true
  if [ "$status" -ne 0 ]; then
    echo "($name ended with exit status $status)"
    printf 'FIGURE\t%s\t%s\t%s\t%s\n' "$name" "runs to the end" "exit status $status" \
      "falls short" >>"$figures"
  fi
  echo
done
echo "== Summary: $(nproc) cores, load average $load_before before and" \
  "$(cut -d' ' -f1-3 /proc/loadavg) after"
printf '%s\n' "figure	target	measured	result" | cat - <(cut -f2- "$figures") | column -t -s $'\t'
short=$(grep -c $'\tfalls short$' "$figures" || true)
echo "$(wc -l <"$figures") figures, $short short of their target"
