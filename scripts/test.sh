#!/usr/bin/env bash
# Installs what is missing, builds everything (warnings are errors here) and runs every test:
# unit, integration against the tester simulator, QML logic and the end-to-end run.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

build=${BRENMO_BUILD_DIR:-build-test}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="-Werror"
cmake --build "$build" -j"$(nproc)"

bash scripts/check-format.sh

export QT_QPA_PLATFORM=offscreen QT_QUICK_BACKEND=software
# The users' locale: numbers written or read must not follow the C library's decimal comma.
export LC_ALL=ru_RU.UTF-8
ctest --test-dir "$build" --output-on-failure -j1 "$@"
