# Sourced by the scripts: checks for the programs a script runs, and runs steps whose output
# is only wanted when they fail.

# require OPTION PROGRAM...
# Stops the calling script when a program is missing, naming it and the option of
# install-deps.sh that brings it (OPTION "-" for the packages it always installs).
require() {
    local option=$1 program missing=()
    shift
    for program in "$@"; do
        command -v "$program" >/dev/null 2>&1 || missing+=("$program")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local how="./scripts/install-deps.sh"
    [ "$option" != - ] && how+=" $option"
    echo "$(basename "$0" .sh): missing ${missing[*]}; run $how as root to install it" >&2
    exit 127
}

# quietly COMMAND...
# Runs a command with its output kept aside; when it fails, shows that output and its exit
# status, and returns that status.
quietly() {
    local log status=0
    log=$(mktemp)
    "$@" >"$log" 2>&1 || status=$?
    if [ "$status" -ne 0 ]; then
        cat "$log" >&2
        echo "$(basename "$0" .sh): '$*' failed with exit status $status" >&2
    fi
    rm -f "$log"
    return "$status"
}

# Wine as Debian's wine64 package installs it: its programs live in /usr/lib/wine and none is
# on the path. WINELOADER lets Wine start a program's children with the same loader.
wine_dir=${QUELBY_WINE_DIR:-/usr/lib/wine}
WINE=$wine_dir/wine64
WINESERVER=$wine_dir/wineserver
export WINELOADER=$WINE
