#!/usr/bin/env bash
# Installs the Debian 12 packages QUELBY builds and tests with; with --package also those that
# make and check its Debian package, with --fuzz clang and libFuzzer for scripts/fuzz.sh, with
# --lint clang-tidy for scripts/lint.sh, with --windows the cross compiler and Wine of the
# Windows build (scripts/test-windows.sh), with --fresh-machine debootstrap and git for
# scripts/fresh-machine.sh. Run as root; does nothing when everything is there.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-serialport-dev qcoro-qt6-dev libqt6svg6
    libgtest-dev libgmock-dev libbenchmark-dev
    poppler-utils fonts-liberation2 xvfb python3
    libmosquitto-dev mosquitto mosquitto-clients qtkeychain-qt6-dev
)
for option in "$@"; do
    case $option in
    --package) packages+=(dpkg-dev help2man librsvg2-bin lintian desktop-file-utils appstream) ;;
    # libclang-rt-14-dev holds libclang_rt.fuzzer and the sanitizer run-times.
    --fuzz) packages+=(clang libclang-rt-14-dev) ;;
    --lint) packages+=(clang-tidy) ;;
    # wine64 puts Wine in /usr/lib/wine, where the scripts call it.
    --windows) packages+=(g++-mingw-w64-x86-64-posix wine64) ;;
    --fresh-machine) packages+=(debootstrap git) ;;
    *) echo "install-deps: unknown option $option" >&2; exit 64 ;;
    esac
done

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
        || missing+=("$package")
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
    echo "install-deps: these packages are missing: ${missing[*]}" >&2
    echo "install-deps: run as root (or with sudo) to install them" >&2
    exit 1
fi
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
source "$(dirname "$0")/tools.sh"
quietly apt-get update
quietly apt-get install -y --no-install-recommends "${missing[@]}"
