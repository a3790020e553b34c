#!/usr/bin/env bash
# Gathers every translatable text of the C++ classes and the QML documents into
# translations/brenmo_en.ts. Finished translations are kept; new texts come in unfinished,
# and texts no longer in the sources are dropped. Translate the new ones (Qt Linguist, or by
# hand in the file: fill <translation> and remove type="unfinished"), then build: the
# translation test lists whatever is still unfinished.
#
#   bash scripts/update-translations.sh [TS]   # TS: another file to refresh (the test's copy)
set -euo pipefail
cd "$(dirname "$0")/.."
ts=${1:-translations/brenmo_en.ts}

lupdate=$(command -v lupdate || echo /usr/lib/qt5/bin/lupdate)
# No source locations: line numbers would change the file on every edit elsewhere.
"$lupdate" -silent -I . -locations none -no-obsolete -source-language ru_RU -target-language en \
  app archive device models files calibration report qml -ts "$ts"
grep -c 'type="unfinished"' "$ts" | sed 's/$/ unfinished texts/' || true
