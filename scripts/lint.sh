#!/usr/bin/env bash
# Static analysis: runs clang-tidy with the checks of .clang-tidy (tests/.clang-tidy for the
# tests) over every source file of the project, in parallel, and exits non-zero on any
# finding. The compile commands come from its own build folder, build-lint/, which it only
# configures. With file names as arguments it checks just those files and shows each finding
# in full.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh --lint
source scripts/tools.sh
require --lint clang-tidy
require - cmake ninja python3
dir=build-lint
jobs=$(nproc)
quietly cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_EXPORT_COMPILE_COMMANDS=ON

# The project's own sources, as the compile database lists them: moc and other generated
# files under the build folder are left out.
files=$(python3 - "$dir/compile_commands.json" "$@" <<'EOF'
import json, os, sys
root = os.getcwd()
wanted = {os.path.abspath(f) for f in sys.argv[2:]}
seen = set()
for entry in json.load(open(sys.argv[1])):
    path = os.path.normpath(os.path.join(entry["directory"], entry["file"]))
    relative = os.path.relpath(path, root)
    if relative.startswith("build") or "_autogen" in relative or path in seen:
        continue
    if wanted and path not in wanted:
        continue
    seen.add(path)
    print(path)
EOF
)
if [ -z "$files" ]; then
    echo "lint: no source file to check" >&2
    exit 2
fi

# A warning option of gcc's that clang does not know is no reason to stop.
if [ $# -gt 0 ]; then
    printf '%s\n' "$files" | xargs -P "$jobs" -n 1 \
        clang-tidy -p "$dir" --quiet --extra-arg=-Wno-unknown-warning-option 2>&1 \
        | sed '/ warnings\? generated\.$/d'
    exit
fi

# Each file's findings go to a log of their own, so parallel runs do not mix their lines; a
# header's findings show once however many files include it.
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
export LINT_LOGS=$logs LINT_DIR=$dir
start=$(date +%s)
printf '%s\n' "$files" | xargs -P "$jobs" -I{} sh -c '
    log="$LINT_LOGS/$(printf %s "$1" | tr / _).log"
    clang-tidy -p "$LINT_DIR" --quiet --extra-arg=-Wno-unknown-warning-option "$1" \
        >"$log" 2>&1 || touch "$log.failed"' sh {}
count=$(printf '%s\n' "$files" | wc -l)
failed=$(find "$logs" -name '*.failed' | wc -l)
findings=$(cat "$logs"/*.log | grep -E '^[^ ]+:[0-9]+:[0-9]+: (warning|error):' \
    | sed "s|^$PWD/||" | sort -u || true)
if [ -n "$findings" ]; then
    printf '%s\n' "$findings"
    echo
    echo "lint: findings by check:"
    printf '%s\n' "$findings" | grep -oE '\[[^],]+' | tr -d '[' | sort | uniq -c | sort -rn
fi
# A file that failed without a finding (clang-tidy could not parse it): show what it said.
for mark in "$logs"/*.failed; do
    [ -e "$mark" ] || continue
    log=${mark%.failed}
    grep -qE ': (warning|error):' "$log" || cat "$log"
done
echo "lint: $count files checked in $(( $(date +%s) - start )) s, $failed failed"
[ "$failed" -eq 0 ]
