#!/usr/bin/env bash
# The fault matrix: quelby-cli against quelby-sim with each fault the simulated board injects,
# against each operation, every cell judged by what it left on the board and in the files; then
# saves onto a full file system and into a read-only folder. Exits non-zero when any cell went
# wrong.
#   ./scripts/fault-matrix.sh [--short] [--jobs N]
# --short runs each operation once without a fault and once with one, every fault at least once
# (for CI). Uses the build folder `build` (made by ./scripts/test.sh or ./scripts/build.sh),
# building quelby-cli and quelby-sim there when they are missing or out of date.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/tools.sh
# mount gives the saves a full file system of their own.
require - cmake python3 mount umount
if [ -f build/build.ninja ] || [ -f build/Makefile ]; then
    quietly cmake --build build --target quelby-cli quelby-sim
else
    quietly ./scripts/build.sh build
fi
exec python3 scripts/fault_matrix.py --bin build/bin --samples samples "$@"
