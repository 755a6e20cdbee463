#!/usr/bin/env bash
# Measures the desktop program on a virtual display: time until the main window is shown,
# and the CPU it uses over 30 s idle offline and online against quelby-sim at 9600 baud, with
# how often its UI thread wakes (context switches of the main thread per second). With
# PUBLISH=HOST:PORT it publishes the live values to that MQTT broker while online
# (topic prefix quelby/measure).
# Usage: [PUBLISH=HOST:PORT] scripts/measure-cpu.sh [build folder] [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/tools.sh
require - Xvfb
build=${1:-build}
seconds=${2:-30}
bin="$build/bin"
work=$(mktemp -d)
cleanup() { kill "${pids[@]}" 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$work"; }
pids=()
trap cleanup EXIT
cp -r "$bin/Support" "$bin/Help" "$work/"
if [ -n "${PUBLISH:-}" ]; then
    printf 'publish=on\nbroker=%s\ntopic_prefix=quelby/measure\n' "$PUBLISH" > "$work/Support/Publish.cfg"
fi

Xvfb :77 -screen 0 1280x900x24 >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=:77
sleep 1

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
cpu_percent() { # pid
    local before after hz
    hz=$(getconf CLK_TCK)
    before=$(ticks "$1"); sleep "$seconds"; after=$(ticks "$1")
    awk -v d=$((after - before)) -v hz="$hz" -v s="$seconds" 'BEGIN { printf "%.2f", 100 * d / hz / s }'
}
# Every sleep of the UI thread ends in a voluntary context switch: their rate is its wake rate.
switches() { awk '/^voluntary_ctxt_switches/ {print $2}' "/proc/$1/task/$1/status"; }
usage() { # pid: CPU % and wakes per second over the measuring time
    local before_switches after_switches percent
    before_switches=$(switches "$1")
    percent=$(cpu_percent "$1")
    after_switches=$(switches "$1")
    awk -v p="$percent" -v d=$((after_switches - before_switches)) -v s="$seconds" \
        'BEGIN { printf "%s %% of one core, UI thread woke %.1f times a second", p, d / s }'
}

"$bin/quelby" --home "$work" --startup-time 2> "$work/offline.err" &
offline=$!; pids+=($offline)
sleep 2
echo "start-up: $(grep -o 'exposed after [0-9]* ms' "$work/offline.err")"
echo "offline idle: $(usage $offline) over ${seconds} s"
kill $offline

"$bin/quelby-sim" --baud 9600 > "$work/device" &
pids+=($!)
sleep 0.5
"$bin/quelby" --home "$work" --device "$(head -n1 "$work/device")" --online 2>/dev/null &
online=$!; pids+=($online)
sleep 3
echo "online against quelby-sim at 9600 baud: $(usage $online) over ${seconds} s"
