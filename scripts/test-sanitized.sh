#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer (BRENMO_SANITIZE)
# and runs the whole suite under them, leak detection on. Leaks that Qt itself leaves at
# exit are suppressed by cmake/lsan.supp. Not part of scripts/test.sh: it takes a while.
#
#   bash scripts/test-sanitized.sh [ctest options]    # e.g. -L unit, -R tst_lineformat
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$(pwd)

build=${BRENMO_BUILD_DIR:-build-sanitize}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DBRENMO_SANITIZE=ON -DCMAKE_CXX_FLAGS="-Werror"
cmake --build "$build" -j"${JOBS:-2}"

# Whole stacks: a suppression must see the Qt frame, and our frames must stay visible.
export ASAN_OPTIONS=detect_leaks=1:fast_unwind_on_malloc=0:strict_string_checks=1
export LSAN_OPTIONS=suppressions=$repo/cmake/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export QT_QPA_PLATFORM=offscreen QT_QUICK_BACKEND=software
ctest --test-dir "$build" --output-on-failure -j1 "$@"
