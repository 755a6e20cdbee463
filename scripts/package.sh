#!/usr/bin/env bash
# Builds a release of QUELBY and makes its Debian package: build-package/package/quelby_<version>_amd64.deb
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh --package
source scripts/tools.sh
require --package help2man rsvg-convert dpkg-deb
require - cmake cpack ninja
dir=build-package
quietly cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUELBY_PACKAGE=ON \
      -DQUELBY_BENCHMARKS=OFF "$@"
cmake --build "$dir" --parallel "$(nproc)" --target quelby quelby-cli quelby-sim package_files
(cd "$dir" && quietly cpack -G DEB)
ls "$dir"/package/quelby_*_amd64.deb
