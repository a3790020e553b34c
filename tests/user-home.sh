#!/usr/bin/env bash
# The home every test runs in (see CMakeLists.txt).
#   seed HOME   lays it out as a user's: tolerance limits for HRC (they would change what the
#               statistics tests see) and calibration undo records, in the settings file.
#   check HOME  fails when anything under .config or .local differs from the seed: a test
#               wrote where a user's own settings and data would be, not in a folder of its own.
set -euo pipefail
mode=${1:?seed or check} home=${2:?home folder}
snapshot() {
  cd "$home" && find .config .local -print0 | sort -z |
    while IFS= read -r -d '' path; do
      if [ -f "$path" ]; then sha256sum "$path"; else echo "folder  $path"; fi
    done
}
case $mode in
seed)
  rm -rf "$home"
  mkdir -p "$home/.config/Brenmo" "$home/.local/share"
  cat >"$home/.config/Brenmo/settings.ini" <<'INI'
[General]
LastPortName=ttyUSB7

[CalibrationUndo]
0\A=200
0\B=-0.1
0\C=0
0\Date=@DateTime(\0\0\0\x10\0\0\0\0\0\0%\x8a\x95\x3\x8e\x1a\x80\0)
0\Name=HRC
0\Points=3
0\Type=1

[ToleranceLimits]
HRC="40;45"
INI
  snapshot >"$home.seeded"
  ;;
check)
  if ! changes=$(diff "$home.seeded" <(snapshot)); then
    echo "FAIL: tests wrote to the user's files in $home:"$'\n'"$changes" >&2
    exit 1
  fi
  echo "ok: $home as seeded"
  ;;
esac
