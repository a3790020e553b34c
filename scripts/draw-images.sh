#!/usr/bin/env bash
# Redraws every picture in images/ and the desktop icons in packaging/icons/ from
# scripts/draw-images.cpp.
# Needs the Qt 5 development files and ImageMagick (for the .ico); the build itself does not.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

g++ -std=c++17 -O1 -fPIC -o "$work/draw-images" "$root/scripts/draw-images.cpp" \
  $(pkg-config --cflags --libs Qt5Gui)
QT_QPA_PLATFORM=offscreen "$work/draw-images" "$work"

for f in TIVOR download disket folder gear report archive close weight warning arrow cross clock-base splash brenmo; do
  cp "$work/$f.png" "$root/images/$f.png"
done
mkdir -p "$root/packaging/icons"
for size in 16 22 24 32 48 64 128 256; do
  icon="$work/brenmo-$size.png"
  [ "$size" = 32 ] && icon="$work/brenmo.png"
  cp "$icon" "$root/packaging/icons/brenmo-$size.png"
done
convert "$work/brenmo-16.png" "$work/brenmo.png" "$work/brenmo-48.png" "$work/brenmo-256.png" \
  "$root/images/brenmo.ico"
