#!/usr/bin/env bash
# Saves review screenshots of the desktop program: the main window offline and online
# against the simulated board, the About box and the help window, into
# <build>/review/screens. Usage: scripts/screenshots.sh [build folder]
# Runs on a virtual X display when xvfb-run is there, else on Qt's offscreen platform.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out="$build/review/screens"
mkdir -p "$out"
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
cp -r "$build/bin/Support" "$build/bin/Help" "$home/"

run=("$build/bin/quelby" --simulate --home "$home" --screenshot-dir "$out" --startup-time)
if command -v xvfb-run >/dev/null; then
    xvfb-run -a -s "-screen 0 1280x900x24" "${run[@]}"
else
    QT_QPA_PLATFORM=offscreen "${run[@]}"
fi
ls -l "$out"
