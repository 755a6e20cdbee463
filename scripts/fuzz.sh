#!/usr/bin/env bash
# Coverage-guided fuzzing: builds every fuzz target with clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer in build-fuzz/, runs each for SECONDS (default 60) from its seeds
# and the corpus grown so far, and prints per target: executions, coverage (libFuzzer's cov and
# ft), corpus size and findings. Exits 1 when a target found something.
#
#   ./scripts/fuzz.sh [SECONDS] [TARGET ...]      e.g. ./scripts/fuzz.sh 300 link_board
#
# The grown corpus stays in build-fuzz/corpus/<target>, never in fuzz/seeds/; inputs that
# crash, leak or hang land in build-fuzz/findings/<target>/. Replay one with
#   build-fuzz/bin/fuzz_<target> FILE
# Set QUELBY_FUZZ_BUILD to use another build folder and QUELBY_FUZZ_NICE (default 10) to
# change the niceness of the runs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
shift || true
build=${QUELBY_FUZZ_BUILD:-$root/build-fuzz}
niceness=${QUELBY_FUZZ_NICE:-10}

source "$root/scripts/tools.sh"
require --fuzz clang clang++
require - cmake ninja

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for source in "$root"/fuzz/fuzz_*.cpp; do
        name=$(basename "$source" .cpp)
        targets+=("${name#fuzz_}")
    done
fi

launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
mkdir -p "$build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DQUELBY_LIBFUZZER=ON \
    -DQUELBY_BENCHMARKS=OFF "${launcher[@]}" >"$build/configure.log" 2>&1 \
    || { cat "$build/configure.log" >&2; exit 2; }
cmake --build "$build" -j2 --target "${targets[@]/#/fuzz_}"

found=0
summary=()
for name in "${targets[@]}"; do
    binary="$build/bin/fuzz_$name"
    corpus="$build/corpus/$name"
    findings="$build/findings/$name"
    log="$build/logs/$name.log"
    mkdir -p "$corpus" "$findings" "$(dirname "$log")"
    echo "fuzz: $name for ${seconds}s"
    status=0
    nice -n "$niceness" "$binary" -max_total_time="$seconds" -timeout=20 -print_final_stats=1 \
        -artifact_prefix="$findings/" "$corpus" "$root/fuzz/seeds/$name" >"$log" 2>&1 || status=$?
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    # The last progress line: "#N  NEW/REDUCE/pulse/DONE  cov: C ft: F corp: K/..."
    progress=$(grep -E '^#[0-9]+.*cov: ' "$log" | tail -1 || true)
    cov=$(sed -n 's/.*cov: \([0-9]*\).*/\1/p' <<<"$progress")
    ft=$(sed -n 's/.*ft: \([0-9]*\).*/\1/p' <<<"$progress")
    corpusFiles=$(find "$corpus" -type f | wc -l)
    crashes=$(find "$findings" -type f | wc -l)
    if [ "$status" -ne 0 ] || [ "$crashes" -ne 0 ]; then
        found=1
        echo "fuzz: $name found something (exit $status); see $log and $findings/" >&2
    fi
    summary+=("$(printf '%-20s %12s %8s %8s %8s %8s' "$name" "${execs:-?}" "${cov:-?}" "${ft:-?}" \
        "$corpusFiles" "$crashes")")
done

printf '%-20s %12s %8s %8s %8s %8s\n' target executions cov ft corpus findings
printf '%s\n' "${summary[@]}"
exit "$found"
