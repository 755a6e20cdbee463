#!/usr/bin/env bash
# quelby-cli.exe under Wine with quelby-cli's own arguments, for the command-line tests
# (QUELBY_TEST_CLI): "--device /dev/pts/N" becomes a COM port whose device link in
# $WINEPREFIX/dosdevices leads to that pseudo-terminal, other absolute paths are reached
# through Wine's Z: drive, and Windows line ends are turned back into "\n".
# Needs QUELBY_WINDOWS_CLI (the .exe) and WINEPREFIX.
set -uo pipefail
source "$(dirname "$0")/tools.sh"
args=()
while (($#)); do
    arg=$1
    shift
    if [[ $arg == --device && $# -gt 0 && $1 == /dev/pts/* ]]; then
        number=$((10 + ${1#/dev/pts/} % 80))
        ln -sfn "$1" "$WINEPREFIX/dosdevices/com$number"
        args+=(--device "COM$number")
        shift
    elif [[ $arg == /* ]]; then
        args+=("Z:$arg")
    else
        args+=("$arg")
    fi
done
errors=$(mktemp)
"$WINE" "$QUELBY_WINDOWS_CLI" "${args[@]}" 2>"$errors" | tr -d '\r'
status=${PIPESTATUS[0]}
tr -d '\r' <"$errors" >&2
rm -f "$errors"
exit "$status"
