#!/usr/bin/env bash
# Mutation testing of the program's sources against its tests (scripts/mutate.py --help):
#   ./scripts/mutate.sh [--sample N] [--seed S] [--jobs N] [--replay FILE] [PATH...]
# Builds in build-mutate/; ends with "mutation score: K of N killed (P %)" and writes the
# surviving mutants to build-mutate/survivors.txt and the mutants tried to
# build-mutate/sample.json, which --replay tries again after the tests or sources changed. Not part of CI (a sample of 200 takes hours
# on two cores).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
source scripts/tools.sh
require - cmake ninja python3
exec python3 scripts/mutate.py "$@"
