#!/usr/bin/env bash
# Builds brenmo and starts it. Without a tester it starts the tester simulator first and points
# brenmo at it; type "m" and Enter in this terminal to take a measurement, "k" for the
# tester's delete key. The simulator stops when brenmo exits.
#
#   bash scripts/run.sh                      # against the simulator, a measurement every 10 s
#   bash scripts/run.sh --measure-every 3    # simulator measuring every 3 s (0: only on "m")
#   bash scripts/run.sh --tester             # a real tester plugged in: brenmo alone
#   bash scripts/run.sh --english            # the English texts (the built catalogue)
#   bash scripts/run.sh --xvfb               # no display needed: a virtual one, against the
#                                            # simulator, with screenshots written on the way
#
# brenmo_en.qm in the current directory, if there is one, switches the texts to English.
# BUILD_DIR chooses another build folder than build/; SHOTS the --xvfb pictures' folder.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$repo/build}
mkdir -p "$build" && build=$(cd "$build" && pwd) # absolute: --english changes directory
use_tester=false
use_xvfb=false
english=false
measure_every=""

while [ $# -gt 0 ]; do
  case "$1" in
    --tester) use_tester=true ;;
    --xvfb) use_xvfb=true ;;
    --english) english=true ;;
    --measure-every) measure_every=${2:?--measure-every needs a number of seconds}; shift ;;
    -h|--help) sed -n '2,16p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "unknown option: $1 (try --help)" >&2; exit 2 ;;
  esac
  shift
done

# Without a display Qt aborts with its own message; say what to do instead, before building.
if ! $use_xvfb && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] &&
  [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "brenmo needs a display and this session has none: run it from a desktop session," \
    "or run 'bash scripts/run.sh --xvfb' to start it under a virtual display against the" \
    "tester simulator and save screenshots of it." >&2
  exit 1
fi
if $use_xvfb && $use_tester; then
  echo "--xvfb runs against the simulator; it cannot be combined with --tester" >&2
  exit 2
fi

# Under --xvfb nobody types "m": the simulator measures every 2 seconds instead of 10.
[ -n "$measure_every" ] || { $use_xvfb && measure_every=2 || measure_every=10; }

bash "$repo/scripts/install-deps.sh"
# A build folder made before keeps its build type (BUILD_DIR=build-test stays Debug).
if [ -f "$build/CMakeCache.txt" ]; then
  cmake -S "$repo" -B "$build" >/dev/null
else
  cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=Release
fi
targets=(brenmo brenmo_translations)
$use_tester || targets+=(brenmo-simulator)
cmake --build "$build" --target "${targets[@]}" -j"$(nproc)"

# The catalogue is looked for in the working directory.
$english && cd "$build/translations"

if $use_tester; then
  exec "$build/app/brenmo"
fi

port_file=$(mktemp)
sim_pid=""
stop_simulator() {
  if [ -n "$sim_pid" ] && kill -0 "$sim_pid" 2>/dev/null; then
    kill -TERM "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
  fi
  rm -f "$port_file"
}
trap stop_simulator EXIT

# The simulator keeps this terminal's input for its commands (m, k, q) when there is one.
if [ -t 0 ]; then
  "$build/simulator/brenmo-simulator" --measure-every "$measure_every" >"$port_file" 0<&0 &
else
  "$build/simulator/brenmo-simulator" --measure-every "$measure_every" >"$port_file" </dev/null &
fi
sim_pid=$!

# Its first line of output is the pseudo-terminal that plays the tester's serial port.
port=""
for _ in $(seq 100); do
  port=$(head -n 1 "$port_file")
  [ -n "$port" ] && break
  kill -0 "$sim_pid" 2>/dev/null || { echo "the simulator did not start" >&2; exit 1; }
  sleep 0.1
done
[ -n "$port" ] || { echo "the simulator gave no port" >&2; exit 1; }

export BRENMO_TESTER_PORT=$port
if $use_xvfb; then
  shots=${SHOTS:-$build/xvfb-screenshots}
  mkdir -p "$shots"
  echo "brenmo under a virtual display against the simulator on $port; screenshots in $shots"
  # The splash lasts two seconds, then the window connects and reads the memory; the
  # simulator's own measurements arrive while it runs.
  xvfb-run --auto-servernum --server-args="-screen 0 1920x1200x24" bash -c '
    "$1" & app=$!
    sleep 1; import -window root "$2/1-splash.png"
    sleep 4; import -window root "$2/2-connected.png"
    sleep "$3"; import -window root "$2/3-measured.png"
    kill $app; wait $app 2>/dev/null || true' xvfb "$build/app/brenmo" "$shots" \
    "$((measure_every * 2 + 1))"
  ls "$shots"/*.png
  exit 0
fi
echo "tester simulator on $port: type m and Enter to measure, k for the delete key"
"$build/app/brenmo"
