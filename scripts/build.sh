#!/usr/bin/env bash
# Configures and builds QUELBY into build/ (or the folder given as $1, with extra CMake
# arguments after it).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/tools.sh
require - cmake ninja
dir=${1:-build}
shift || true
quietly cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build "$dir" --parallel "$(nproc)"
