#!/usr/bin/env bash
# Mutation testing of the program's sources against its tests (scripts/mutate.py --help):
#   ./scripts/mutate.sh [--sample N] [--seed S] [--jobs N] [--replay FILE [--only OUTCOMES]] [PATH...]
# Builds in build-mutate/; ends with "mutation score: K of N killed (P %)" and writes the
# surviving mutants to build-mutate/survivors.txt, the mutants tried to build-mutate/sample.json
# and each one's outcome to build-mutate/outcomes.json. --replay tries a sample again after the
# tests or sources changed; `--replay build-mutate/outcomes.json --only killed,timeout` tries
# only those an earlier run killed; a replay looks in the files its mutants were made in unless
# PATHs are given. Not part of CI (a sample of 80 takes over an hour on two
# cores).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
source scripts/tools.sh
require - cmake ninja python3
exec python3 scripts/mutate.py "$@"
