#!/usr/bin/env bash
# Builds brenmo and starts it. Without a tester it starts the tester simulator first and points
# brenmo at it; type "m" and Enter in this terminal to take a measurement, "k" for the
# tester's delete key. The simulator stops when brenmo exits.
#
#   bash scripts/run.sh                      # against the simulator, a measurement every 10 s
#   bash scripts/run.sh --measure-every 3    # simulator measuring every 3 s (0: only on "m")
#   bash scripts/run.sh --tester             # a real tester plugged in: brenmo alone
#
# brenmo_en.qm in the current directory, if there is one, switches the texts to English.
# BUILD_DIR chooses another build folder than build/.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$repo/build}
use_tester=false
measure_every=10

while [ $# -gt 0 ]; do
  case "$1" in
    --tester) use_tester=true ;;
    --measure-every) measure_every=${2:?--measure-every needs a number of seconds}; shift ;;
    -h|--help) sed -n '2,12p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "unknown option: $1 (try --help)" >&2; exit 2 ;;
  esac
  shift
done

bash "$repo/scripts/install-deps.sh"
cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=Release
targets=(brenmo)
$use_tester || targets+=(brenmo-simulator)
cmake --build "$build" --target "${targets[@]}" -j"$(nproc)"

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

echo "tester simulator on $port: type m and Enter to measure, k for the delete key"
export BRENMO_TESTER_PORT=$port
"$build/app/brenmo"
