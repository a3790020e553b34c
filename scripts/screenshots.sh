#!/usr/bin/env bash
# Pictures of the interface in its main states (splash, measurements, both settings tabs,
# calibration, the warning box), taken against the tester simulator on a virtual X server:
# once at 96 dpi (the normal look), once at 144 dpi (the high-DPI look, "highdpi-" files) and
# once in English ("en-" files).
# Output: docs/screenshots/*.png. BUILD_DIR chooses the build folder (default build/).
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$repo/build}
out=$repo/docs/screenshots

if [ ! -x "$build/tests/e2e/brenmo-screenshots" ] || [ -z "${BUILD_DIR:-}" ]; then
  cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" --target brenmo-screenshots brenmo_translations -j2
fi
mkdir -p "$out"

shoot() {
  local dpi=$1 prefix=$2 catalogue=${3:-}
  xvfb-run --auto-servernum --server-args="-screen 0 1920x1200x24 -dpi $dpi" \
    env QT_QPA_PLATFORM=xcb QT_QUICK_BACKEND=software \
    "$build/tests/e2e/brenmo-screenshots" "$out" "$prefix" $catalogue
}

shoot 96 ""
shoot 144 "highdpi-"
# The English interface, for checking that no translated text is clipped.
shoot 96 "en-" "$build/translations/brenmo_en.qm"
