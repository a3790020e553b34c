#!/usr/bin/env bash
# Installs the build into a scratch DESTDIR as a package would (prefix /usr), checks every
# desktop file the install puts there, then starts the installed program offscreen against
# the tester simulator and waits until it has read the tester's memory and identity.
#
#   install-test.sh BUILD_DIR
set -euo pipefail

build=$(cd "${1:?build folder}" && pwd)
root=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$root"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR="$root/dest" cmake --install "$build" --prefix /usr >"$root/install.log" ||
  { cat "$root/install.log"; fail "cmake --install"; }
usr=$root/dest/usr

[ -x "$usr/bin/brenmo" ] || fail "no usr/bin/brenmo"
[ -f "$usr/share/brenmo/translations/brenmo_en.qm" ] || fail "no English catalogue"

desktop=$usr/share/applications/com.tivor.brenmo.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate $desktop"
grep -qx 'Exec=brenmo' "$desktop" || fail "the desktop entry does not start brenmo from the path"
appstreamcli validate --no-net --pedantic "$usr/share/metainfo/com.tivor.brenmo.metainfo.xml" ||
  fail "appstreamcli validate"

for size in 16 22 24 32 48 64 128 256; do
  icon=$usr/share/icons/hicolor/${size}x${size}/apps/brenmo.png
  file "$icon" | grep -q "PNG image data, $size x $size" || fail "icon $icon is not $size x $size"
done

# uaccess is applied by 73-seat-late.rules: ours must sort before it.
rules=("$usr"/lib/udev/rules.d/*brenmo*.rules)
[ -f "${rules[0]}" ] || fail "no udev rule"
[[ "$(basename "${rules[0]}")" < "73" ]] || fail "${rules[0]} sorts after 73-seat-late.rules"
for needle in 'TAG+="uaccess"' 'ENV{ID_MM_DEVICE_IGNORE}="1"' '0403' '28e9' '6001' '018a'; do
  grep -qF "$needle" "${rules[0]}" || fail "the udev rule lacks $needle"
done

# The installed program against the simulator, with its settings kept out of the home.
export HOME=$root/home XDG_CONFIG_HOME=$root/home/.config XDG_DATA_HOME=$root/home/.local/share
export XDG_RUNTIME_DIR=$root/run QT_QPA_PLATFORM=offscreen QT_QUICK_BACKEND=software
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
"$build/simulator/brenmo-simulator" --records 5 --measure-every 0 \
  >"$root/port" 2>"$root/requests" </dev/null &
pids+=($!)
for _ in $(seq 100); do [ -s "$root/port" ] && break; sleep 0.1; done
port=$(head -n 1 "$root/port")
[ -n "$port" ] || fail "the simulator gave no port"

BRENMO_TESTER_PORT=$port "$usr/bin/brenmo" >"$root/brenmo.log" 2>&1 &
app=$!
pids+=("$app")
for _ in $(seq 300); do
  grep -q '<- getid' "$root/requests" && break
  kill -0 "$app" 2>/dev/null || { cat "$root/brenmo.log"; fail "the installed brenmo stopped"; }
  sleep 0.1
done
grep -q '<- readdata' "$root/requests" || { cat "$root/requests"; fail "brenmo did not read the memory"; }
grep -q '<- getid' "$root/requests" || { cat "$root/requests"; fail "brenmo did not ask the identity"; }
kill -0 "$app" 2>/dev/null || fail "the installed brenmo stopped after connecting"
echo "installed into $root/dest: entry, metainfo, icons, udev rule, catalogue; brenmo connected"
