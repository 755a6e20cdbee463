#!/usr/bin/env bash
# The bash completion of quelby-cli and quelby-sim: completion_test.sh COMPLETION-FILE
set -u
source "$1"
failed=0
# expect "EXPECTED" WORD... : the completions of the command line WORDS (the last is the word
# being completed), sorted and joined by blanks.
expect() {
    local expected=$1; shift
    COMP_WORDS=("$@")
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMPREPLY=()
    case $1 in
        quelby-cli) _quelby_cli ;;
        quelby-sim) _quelby_sim ;;
    esac
    local got
    got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' ' | sed 's/ $//')
    if [[ $got != "$expected" ]]; then
        echo "completion of '$*': got '$got', expected '$expected'"
        failed=1
    fi
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
touch visit1.sdt visit2.sdt notes.txt prog.hbx
mkdir old

expect "pls" quelby-cli pl
expect "dataset diff download" quelby-cli d
expect "19200 9600" quelby-cli --speed ""
expect "config" quelby-cli --device /dev/ttyUSB0 pls co
expect "all" quelby-cli upload a
expect "old visit1.sdt visit2.sdt" quelby-cli --yes upload all ""
expect "legal letter" quelby-cli report visit1.sdt out.pdf le
expect "old prog.hbx" quelby-cli program upload ""
expect "--quiet" quelby-cli --q
expect "--force" quelby-cli write --f
expect "setup shift" quelby-cli compare visit1.sdt --only s
expect "--since" quelby-cli log --s
expect "log" quelby-cli lo
expect "publish" quelby-cli pu
expect "--password-file" quelby-cli publish --mqtt broker --topic plant --username u --p
expect "notes.txt old prog.hbx visit1.sdt visit2.sdt" quelby-cli publish --cafile ""
expect "" quelby-cli publish --mqtt ""
expect "19200" quelby-sim --baud 1
expect "--still --stop-after" quelby-sim --st
exit $failed
