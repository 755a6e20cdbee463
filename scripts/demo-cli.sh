#!/usr/bin/env bash
# Shows the board link at work from the command line: the simulated K650 with a line running
# behind it on a pseudo-terminal, read, written and programmed through the serial port with
# quelby-cli.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
./scripts/build.sh build
bin=build/bin

"$bin/quelby-sim" --baud 19200 > build/sim-device.txt &
sim=$!
trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null || true' EXIT
for _ in $(seq 50); do [ -s build/sim-device.txt ] && break; sleep 0.1; done
device=$(head -n1 build/sim-device.txt)
cli() { "$bin/quelby-cli" --device "$device" --speed 19200 "$@"; }

echo "Simulated K650 board on $device, line starting up."
cli ident
for _ in 1 2 3; do
    sleep 2
    echo "Machine speed (W182), good cans (D1100), blow-offs (D1104), PLS position:" \
        "$(cli read W182 D1100 D1104 | paste -sd' ') $(cli pls position)"
done
echo "Programming PLS channel 3 ON 10 OFF 20, then recalling it:"
cli pls set 3 10 20 --clear
cli pls recall 3
echo "Downloading the sample program samples/K650DEMO.hbx:"
cli --yes program download samples/K650DEMO.hbx
cli ident | grep "Board program"
