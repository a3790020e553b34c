#!/usr/bin/env bash
# The README's run command on a machine without a display: one sentence that names the
# ways out and a failure status, before anything is installed or built, not Qt's abort.
set -uo pipefail
repo=${1:?source folder}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
output=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM BUILD_DIR="$scratch" \
  bash "$repo/scripts/run.sh" 2>&1)
status=$?
fail() { echo "FAIL: $*"$'\n'"$output" >&2; exit 1; }
[ "$status" -eq 1 ] || fail "exit status $status, not 1"
[ "$(wc -l <<<"$output")" -eq 1 ] || fail "more than the one sentence"
grep -q -- "--xvfb" <<<"$output" || fail "--xvfb is not named"
grep -q "desktop session" <<<"$output" || fail "the desktop session is not named"
echo "ok: $output"
