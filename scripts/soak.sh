#!/usr/bin/env bash
# Soak run: `quelby --simulate` online (offscreen) with the simulated line losing one byte in
# ten thousand, switching windows and going offline and online on its --soak-schedule, for
# MINUTES (default 30). Every minute it prints resident memory and CPU seconds (from /proc)
# and the program's counts of messages, link failures and lost bytes. After the warm-up
# (a sixth of the run, at least one minute) memory must not grow: the script fails when the
# largest resident size of the last third exceeds the size at the end of the warm-up by more
# than the allowance (QUELBY_SOAK_ALLOWANCE_KB, default 2048), or when the program dies.
#
#   ./scripts/soak.sh [MINUTES]
#
# Uses build/bin/quelby (QUELBY_BIN to choose another); runs at nice 10 (QUELBY_SOAK_NICE).
# QUELBY_SOAK_LOSS and QUELBY_SOAK_SEED change the loss rate (default 0.0001) and its seed;
# QUELBY_SOAK_LOG=FILE keeps the program's own output (its schedule and every message answered).
# link_failures counts the link's "Communication Error" messages, comm_errors the times the
# link failed at all (most recover by resynchronising, without a message).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
minutes=${1:-30}
program=${QUELBY_BIN:-$root/build/bin/quelby}
allowance=${QUELBY_SOAK_ALLOWANCE_KB:-2048}
loss=${QUELBY_SOAK_LOSS:-0.0001}
seed=${QUELBY_SOAK_SEED:-17}
niceness=${QUELBY_SOAK_NICE:-10}

if [ ! -x "$program" ]; then
    echo "soak: $program is missing; build it first (cmake --build build --target quelby)" >&2
    exit 2
fi
work=$(mktemp -d)
pid=
cleanup() {
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill "$pid"; wait "$pid" 2>/dev/null || true; fi
    rm -rf "$work"
}
trap cleanup EXIT
home="$work/home"
mkdir -p "$home"
cp -r "$(dirname "$program")/Support" "$(dirname "$program")/Help" "$home/" 2>/dev/null || true
log=${QUELBY_SOAK_LOG:-$work/quelby.log}

QT_QPA_PLATFORM=offscreen nice -n "$niceness" "$program" --simulate --simulate-loss "$loss" \
    --simulate-seed "$seed" --soak-schedule --home "$home" 2>"$log" &
pid=$!
ticks=$(getconf CLK_TCK)
warmup=$(( minutes / 6 > 1 ? minutes / 6 : 1 ))

printf '%6s %10s %8s %9s %13s %11s %9s %10s %10s\n' minute rss_kb cpu_s messages link_failures \
    comm_errors switches reconnects lost_bytes
rss=()
start=$(date +%s)
for ((minute = 1; minute <= minutes; minute++)); do
    # Sleep to the minute mark, so the rows stay a minute apart however long a row takes.
    now=$(date +%s)
    wait_for=$(( start + 60 * minute - now ))
    if [ "$wait_for" -gt 0 ]; then sleep "$wait_for"; fi
    if ! kill -0 "$pid" 2>/dev/null; then
        echo "soak: quelby ended after $((minute - 1)) minutes" >&2
        tail -20 "$log" >&2
        pid=
        exit 1
    fi
    kb=$(awk '/^VmRSS:/ {print $2}' "/proc/$pid/status")
    # utime and stime, fields 14 and 15 counted after the command name's closing parenthesis.
    cpu=$(sed 's/.*) //' "/proc/$pid/stat" | awk -v t="$ticks" '{printf "%.1f", ($12 + $13) / t}')
    counts=$(grep '^soak: seconds=' "$log" | tail -1 || true)
    field() { sed -n "s/.* $1=\([0-9]*\).*/\1/p" <<<"$counts"; }
    rss+=("$kb")
    printf '%6d %10d %8s %9s %13s %11s %9s %10s %10s\n' "$minute" "$kb" "$cpu" "$(field messages)" \
        "$(field link_failures)" "$(field comm_errors)" "$(field switches)" "$(field reconnects)" \
        "$(field lost_bytes)"
done

reference=${rss[$((warmup - 1))]}
from=$(( minutes - minutes / 3 ))
if [ "$from" -le "$warmup" ]; then from=$warmup; fi
if [ "$from" -ge "$minutes" ]; then from=$(( minutes - 1 )); fi
largest=0
for ((i = from; i < minutes; i++)); do
    if [ "${rss[$i]}" -gt "$largest" ]; then largest=${rss[$i]}; fi
done
growth=$(( largest - reference ))
echo "soak: resident ${reference} kB after ${warmup} min warm-up, largest ${largest} kB in the last third (${growth} kB growth, allowance ${allowance} kB)"
grep '^soak: message ' "$log" | sort | uniq -c | sort -rn | head -10 || true
if [ "$growth" -gt "$allowance" ]; then
    echo "soak: memory grows" >&2
    exit 1
fi
