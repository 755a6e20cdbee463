#!/usr/bin/env bash
# Proves that a new Debian 12 machine needs nothing but this repository: makes a minimal
# Debian 12 root with debootstrap, puts a clean clone of main into it and runs there, as root
# with /proc, /dev and /dev/pts mounted:
#   1. run      the README's first command, ./scripts/run.sh, offscreen for a few seconds
#   2. test     the README's second command, ./scripts/test.sh
#   3. ci       .ci/run
#   4. tools    the scripts' tool check, after installing the remaining optional packages
# Each step prints its time and exit status; a failing step shows the end of its log and stops
# the run. Every exit (a failing step, Ctrl+C, a full disk) unmounts what was mounted; each run
# starts from a new root.
#
#   ./scripts/fresh-machine.sh [--keep]
#
# QUELBY_FRESH_DIR (default /var/tmp/quelby-fresh) holds the root, the logs and a cache of the
# downloaded packages. The root is removed after a green run, kept after a failed one (or
# always with --keep). The Debian archive is the one this machine's apt uses
# (QUELBY_DEBIAN_MIRROR to choose another). Takes over an hour; not part of CI.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD
keep=0
[ "${1:-}" = --keep ] && keep=1
if [ "$(id -u)" -ne 0 ]; then
    echo "fresh-machine: run as root (it mounts and chroots)" >&2
    exit 1
fi
./scripts/install-deps.sh --fresh-machine
source scripts/tools.sh
require --fresh-machine debootstrap git
require - mount umount chroot

work=${QUELBY_FRESH_DIR:-/var/tmp/quelby-fresh}
root=$work/root
logs=$work/logs
started=$(date +%s)
summary=()
current=
step_pid=

# The mount points under the root, deepest first, as the kernel lists them.
mounts_under_root() {
    awk -v root="$root" '$2 == root || index($2, root "/") == 1 { print $2 }' /proc/self/mounts \
        | sort -r
}

# kill_tree PID: ends a process and every process below it.
kill_tree() {
    local proc
    for proc in /proc/[0-9]*; do
        [ "$(awk '{ print $4 }' "$proc/stat" 2>/dev/null)" = "$1" ] && kill_tree "${proc#/proc/}"
    done
    kill -9 "$1" 2>/dev/null || true
}

# Ends the running step and every process whose root is the fresh root, then unmounts
# everything under it (the fault matrix's own mounts included); a busy mount is detached
# lazily.
release_root() {
    local proc
    [ -n "$step_pid" ] && kill_tree "$step_pid"
    for proc in /proc/[0-9]*; do
        [ "$(readlink "$proc/root" 2>/dev/null)" = "$root" ] && kill -9 "${proc#/proc/}" 2>/dev/null
    done
    local point
    for point in $(mounts_under_root); do
        umount "$point" 2>/dev/null || umount -l "$point"
    done
    return 0
}

finish() {
    local status=$?
    trap - EXIT INT TERM
    release_root
    echo
    echo "fresh-machine: summary ($(($(date +%s) - started)) s in all)"
    printf '  %s\n' "${summary[@]}"
    if [ -n "$(mounts_under_root)" ]; then
        echo "fresh-machine: could not unmount: $(mounts_under_root | tr '\n' ' ')" >&2
        status=1
    elif [ "$status" -eq 0 ] && [ "$keep" -eq 0 ]; then
        rm -rf --one-file-system "$root"
    fi
    if [ "$status" -ne 0 ]; then
        echo "fresh-machine: FAILED${current:+ at step $current} (exit $status); logs in $logs, root in $root" >&2
    else
        echo "fresh-machine: every step passed; logs in $logs"
    fi
    exit "$status"
}
trap finish EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# step NAME COMMAND...: runs one step with its output in $logs/NAME.log. The step runs as a
# job of its own, where set -e holds (it would not in a function called before ||).
step() {
    local name=$1 begun status=0
    shift
    current=$name
    begun=$(date +%s)
    echo "fresh-machine: $name ..."
    "$@" >"$logs/$name.log" 2>&1 &
    step_pid=$!
    wait "$step_pid" || status=$?
    step_pid=
    local line
    line=$(printf '%-7s exit %3d  %6d s' "$name" "$status" "$(($(date +%s) - begun))")
    summary+=("$line")
    echo "fresh-machine: $line"
    if [ "$status" -ne 0 ]; then
        tail -n 40 "$logs/$name.log" >&2
        exit "$status"
    fi
    current=
}

# Runs a command in the root, in the clone, with a plain environment as on a new machine.
# It replaces the shell it runs in (every caller runs it in a job of its own), so that job's
# process becomes the command's.
inside() {
    exec env -i HOME=/root LANG=C.UTF-8 TERM=dumb CI=true \
        PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        chroot "$root" /bin/bash -c "cd /root/quelby && $1"
}

# The archive this machine's apt uses for bookworm.
mirror=${QUELBY_DEBIAN_MIRROR:-}
if [ -z "$mirror" ] && [ -f /etc/apt/sources.list.d/debian.sources ]; then
    mirror=$(awk '/^URIs:/ { print $2; exit }' /etc/apt/sources.list.d/debian.sources)
fi
if [ -z "$mirror" ] && [ -f /etc/apt/sources.list ]; then
    mirror=$(awk '$1 == "deb" && $3 ~ /^bookworm$/ { print $2; exit }' /etc/apt/sources.list)
fi
if [ -z "$mirror" ]; then
    echo "fresh-machine: no Debian archive in this machine's apt sources; set QUELBY_DEBIAN_MIRROR" >&2
    exit 2
fi

make_root() {
    release_root
    rm -rf --one-file-system "$root"
    mkdir -p "$root" "$work/debootstrap-cache" "$work/apt-archives"
    debootstrap --variant=minbase --cache-dir="$work/debootstrap-cache" bookworm "$root" "$mirror"
    # The same archives as this machine (updates and security included) and its name service.
    [ -f /etc/apt/sources.list.d/debian.sources ] \
        && cp /etc/apt/sources.list.d/debian.sources "$root/etc/apt/sources.list.d/" \
        && rm -f "$root/etc/apt/sources.list"
    cp /etc/resolv.conf "$root/etc/resolv.conf"
    mount -t proc proc "$root/proc"
    mount --bind /dev "$root/dev"
    mount --bind /dev/pts "$root/dev/pts"
    mount -t tmpfs tmpfs "$root/dev/shm"
    # Packages downloaded by an earlier run are kept outside the root.
    mount --bind "$work/apt-archives" "$root/var/cache/apt/archives"
    git clone --quiet --no-hardlinks --branch main "file://$repo" "$root/root/quelby"
    git -C "$root/root/quelby" log -1 --format='clone of main at %h: %s'
}

# The desktop program, built and started against its simulated board, must still be running
# a few seconds after its start. run.sh ends by exec'ing quelby, so its process becomes quelby.
run_program() {
    inside 'QT_QPA_PLATFORM=offscreen exec ./scripts/run.sh' &
    local pid=$!
    while kill -0 "$pid" 2>/dev/null && [ "$(cat "/proc/$pid/comm" 2>/dev/null)" != quelby ]; do
        sleep 1
    done
    if ! kill -0 "$pid" 2>/dev/null; then
        wait "$pid" && return 1 || return
    fi
    sleep 5
    if ! kill -0 "$pid" 2>/dev/null; then
        echo "quelby ended within 5 s of its start"
        wait "$pid" && return 1 || return
    fi
    echo "quelby has been running for 5 s"
    kill "$pid"
    wait "$pid" 2>/dev/null || true
}

mkdir -p "$logs"
rm -f "$logs"/*.log
echo "fresh-machine: Debian 12 root in $root from $mirror"
step root make_root
step run run_program
step test inside ./scripts/test.sh
step ci inside .ci/run
step tools inside './scripts/install-deps.sh --fuzz --fresh-machine && ./scripts/check-tools.sh'
