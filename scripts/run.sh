#!/usr/bin/env bash
# Builds QUELBY and starts it against its built-in simulated K650 board: go online (F3, or a
# click on the status bar's mode panel) to see the line at work.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
./scripts/build.sh build
exec build/bin/quelby --simulate "$@"
