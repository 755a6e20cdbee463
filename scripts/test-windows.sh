#!/usr/bin/env bash
# The Windows build, cross-compiled here and tested under Wine: the core tests (link, data
# set, program files, simulated board), the Win32 serial port's own tests against echoing
# pseudo-terminals, quelby-cli.exe end to end against quelby-sim running natively on a
# pseudo-terminal reached as a COM port, and the link benchmark next to a bare Win32
# ping-pong. Everything Wine needs lives in a throwaway prefix.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
started=$(date +%s)

./scripts/install-deps.sh --windows
source scripts/tools.sh
require --windows x86_64-w64-mingw32-g++-posix x86_64-w64-mingw32-gcc-posix "$WINE" "$WINESERVER"
require - cmake ninja
win=build-windows
linux=${QUELBY_LINUX_BUILD:-build}

# GoogleTest for Windows, from the sources Debian ships with libgtest-dev.
if [ ! -f "$win/googletest/lib/cmake/GTest/GTestConfig.cmake" ]; then
    quietly cmake -S /usr/src/googletest -B "$win/googletest-build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$root/$win/googletest" -DBUILD_GMOCK=OFF
    quietly cmake --build "$win/googletest-build" --parallel "$(nproc)"
    quietly cmake --install "$win/googletest-build"
fi
# Optimised without debug information, which makes the static links slow.
launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
quietly cmake -S . -B "$win" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DQUELBY_WERROR=ON \
    -DQUELBY_DESKTOP=OFF -DGTest_DIR="$root/$win/googletest/lib/cmake/GTest" "${launcher[@]}"
cmake --build "$win" --parallel "$(nproc)"
# The Linux side: the simulated board, the echoing pseudo-terminal and the CLI tests.
if [ ! -f "$linux/build.ninja" ]; then
    quietly cmake -S . -B "$linux" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUELBY_WERROR=ON
fi
cmake --build "$linux" --parallel "$(nproc)" --target quelby-sim quelby-pty-echo cli_tests

scratch=$(mktemp -d)
helpers=()
export WINEPREFIX=$scratch/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
    for pid in "${helpers[@]}"; do kill "$pid" 2>/dev/null || true; done
    "$WINESERVER" -k 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT
# One server for the whole run: a server that exits between two programs can drop the
# next one's connection.
mkdir -p "$WINEPREFIX"
quietly "$WINESERVER" -p </dev/null
quietly "$WINE" wineboot -i </dev/null

# Starts a program that prints a device path on its first line and links COMn to that device.
link_com() {
    local number=$1 output=$scratch/com$1.out
    shift
    "$@" >"$output" 2>&1 </dev/null &
    helpers+=($!)
    for _ in $(seq 500); do
        [ -s "$output" ] && break
        sleep 0.01
    done
    ln -sfn "$(head -n 1 "$output")" "$WINEPREFIX/dosdevices/com$number"
}
link_com 90 "$linux/bin/quelby-pty-echo"
link_com 91 "$linux/bin/quelby-pty-echo" --hang-up-after 40
export QUELBY_ECHO_PORT=COM90 QUELBY_HANGUP_PORT=COM91 QUELBY_HANGUP_AFTER=40

total=0
failed=0
# Runs one test program and adds its tests to the count. The Win32 port's tests skip only
# when their COM ports are missing, so none of them may be skipped.
run_tests() {
    local name=$1 log=$scratch/$1.log
    shift
    if "$@" --gtest_brief=1 >"$log" 2>&1 </dev/null; then status=0; else status=$?; fi
    local passed skipped
    passed=$(tr -d '\r' <"$log" | sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\.$/\1/p')
    skipped=$(tr -d '\r' <"$log" | sed -n 's/^\[  SKIPPED \] \([0-9]*\) tests\?.*/\1/p')
    total=$((total + ${passed:-0}))
    printf '%-28s %4s passed%s\n' "$name" "${passed:-0}" "${skipped:+, $skipped skipped}"
    if [ "$status" -ne 0 ] || { [ -n "$skipped" ] && [ "$name" = quelby_windows_port_tests ]; }; then
        tr -d '\r' <"$log"
        failed=1
    fi
}
cd "$win/bin"
for program in link_tests data_tests program_tests quelby_sim_tests transfer_tests quelby_windows_port_tests; do
    run_tests "$program" "$WINE" "$program.exe"
done
cd "$root"
# The command-line tests start quelby-sim natively; quelby-cli.exe reaches it as a COM port.
QUELBY_TEST_CLI=$root/scripts/wine-cli.sh QUELBY_WINDOWS_CLI=$root/$win/bin/quelby-cli.exe \
    run_tests "cli_tests (quelby-cli.exe)" "$linux/bin/cli_tests" --gtest_filter=-CliOptions.*:CliPrompt.*
echo "test-windows: $total tests run with the Windows build under Wine"

link_com 92 "$linux/bin/quelby-sim" --still --set B1003=42
# find through the Win32 port: of COM1..COM99 the board on COM92 answers, at 9600 baud.
found=$("$WINE" "$win/bin/quelby-cli.exe" find 2>&1 </dev/null | tr -d '\r') || true
if grep -q 'COM92: board at 9600 baud' <<<"$found"; then
    echo "test-windows: find: $(grep 'COM92' <<<"$found")"
else
    echo "$found"
    echo "test-windows: quelby-cli.exe find did not find the board on COM92" >&2
    failed=1
fi
"$WINE" "$win/bin/quelby-bench-com.exe" --echo COM90 --board COM92 --reads "${QUELBY_BENCH_READS:-2000}" \
    2>&1 | tr -d '\r' || failed=1
echo "test-windows: $(($(date +%s) - started)) s"
exit "$failed"
