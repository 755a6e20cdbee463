#!/usr/bin/env bash
# Builds QUELBY and shows the board link at work: the simulated board on a pseudo-terminal,
# read and written through the serial port with quelby-cli.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
./scripts/build.sh build
bin=build/bin

"$bin/quelby-sim" --baud 19200 --set W182=1200 --set D1100=123456 --set D1104=321 \
    --set B1016=5 > build/sim-device.txt &
sim=$!
trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -s build/sim-device.txt ] && break; sleep 0.1; done
device=$(head -n1 build/sim-device.txt)

echo "Simulated K650 board on $device"
echo "Machine speed (W182), good cans (D1100), blow-offs (D1104), bit B1016.0:"
"$bin/quelby-cli" --device "$device" read W182 D1100 D1104 B1016.0
echo "Writing 1500 to W182, then reading it back:"
"$bin/quelby-cli" --device "$device" write W182 1500
"$bin/quelby-cli" --device "$device" read W182
