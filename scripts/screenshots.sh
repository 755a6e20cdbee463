#!/usr/bin/env bash
# Saves review screenshots of the desktop program into <build>/review/screens: the main
# window offline and online against the simulated board (and after a minute online, with its
# trend), the Serial Communications and I/O
# States windows and both pages of Machine Timing online and offline, the About box, the help window, the
# comm port dialog, a data upload, the board compared with the data set, and a program download
# with their questions and progress
# windows, the "Please Standby" window, each page of the Set-up Parameters and Shift Data
# windows online and offline, and the four tabs of the Target Board Interface.
# Usage: scripts/screenshots.sh [build folder]
# Runs on a virtual X display when xvfb-run is there, else on Qt's offscreen platform.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out="$build/review/screens"
mkdir -p "$out"
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
cp -r "$build/bin/Support" "$build/bin/Help" "$home/"
# The sample program for the program download, over the link at 19200 so it takes ~25 s.
mkdir -p "$home/programs"
cp samples/K650DEMO.hbx samples/K650DEMO.rev samples/K650DEMO.hex "$home/programs/"
printf '1,19200\r\n' > "$home/Support/RSPort.cfg"

run=("$build/bin/quelby" --simulate --home "$home" --screenshot-dir "$out" --startup-time)
if command -v xvfb-run >/dev/null; then
    xvfb-run -a -s "-screen 0 1280x900x24" "${run[@]}"
else
    QT_QPA_PLATFORM=offscreen "${run[@]}"
fi
# Every page of the Set-up Parameters and Shift Data windows, online and offline.
if [ -x "$build/bin/views-screenshots" ]; then
    QT_QPA_PLATFORM=offscreen "$build/bin/views-screenshots" "$out"
fi
ls -l "$out"
