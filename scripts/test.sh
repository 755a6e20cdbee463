#!/usr/bin/env bash
# Builds QUELBY and runs every test: the normal build (warnings as errors), then the tests
# again under AddressSanitizer and UndefinedBehaviorSanitizer, fuzz targets included.
set -euo pipefail
cd "$(dirname "$0")/.."
# Each include names its folder and reaches only the layers below it.
python3 scripts/check-layers.py
./scripts/install-deps.sh
source scripts/tools.sh
# The report tests read the PDF back with pdftotext.
require - cmake ctest ninja pdftotext script
# The MQTT tests run a broker of their own and watch it with mosquitto_sub.
require - mosquitto mosquitto_sub mosquitto_passwd
jobs=$(nproc)

./scripts/build.sh build -DQUELBY_WERROR=ON
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel "$jobs" --timeout 300)

./scripts/build.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DQUELBY_SANITIZE=ON -DQUELBY_BENCHMARKS=OFF -DQUELBY_WERROR=ON
(cd build-asan && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --parallel "$jobs" --timeout 600)
