#!/usr/bin/env bash
# Pictures of the interface in its main states (splash, measurements, both settings tabs,
# calibration, the warning box, the statistics panel and the report's first page), taken
# against the tester simulator on a virtual X server:
# once at 96 dpi (the normal look), once at 144 dpi (the high-DPI look, "highdpi-" files) and
# once in English ("en-" files). A further run pictures the main window on a 1280 x 800 screen
# at 144 dpi, smaller than the high-DPI design: the window must fit it. The 96-dpi run also
# pictures a 20,000-row table (chart-20000-whole, chart-20000-zoomed).
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
  local dpi=$1 prefix=$2 screen=${3:-1920x1200} only=${4:-} catalogue=${5:-}
  xvfb-run --auto-servernum --server-args="-screen 0 ${screen}x24 -dpi $dpi" \
    env QT_QPA_PLATFORM=xcb QT_QUICK_BACKEND=software \
    "$build/tests/e2e/brenmo-screenshots" "$out" "$prefix" $only $catalogue
}

shoot 96 ""
shoot 144 "highdpi-"
# The report's first page, as the driver wrote it for each look.
for prefix in "" "highdpi-"; do
  pdftoppm -r 80 -png -singlefile -f 1 -l 1 "$out/${prefix}report.pdf" "$out/${prefix}report-page1"
  rm -f "$out/${prefix}report.pdf"
done
shoot 144 "highdpi-1280x800-" 1280x800 main
# The English interface, for checking that no translated text is clipped.
shoot 96 "en-" 1920x1200 "" "$build/translations/brenmo_en.qm"
pdftoppm -r 80 -png -singlefile -f 1 -l 1 "$out/en-report.pdf" "$out/en-report-page1"
rm -f "$out/en-report.pdf"
