#!/usr/bin/env bash
# Checks that every program the scripts run is installed: runs each script's own `require`
# lines and lists every missing program with the option of install-deps.sh that brings it.
# Run it after ./scripts/install-deps.sh --package --lint --windows --fuzz --fresh-machine on a
# new machine to prove that install-deps.sh installs what the scripts call.
set -euo pipefail
cd "$(dirname "$0")/.."
failed=0
checked=0
for script in scripts/*.sh; do
    [ "$script" = scripts/tools.sh ] && continue
    while IFS= read -r line; do
        checked=$((checked + 1))
        # Each line in a shell of its own, so one missing program does not hide the next.
        bash -c "source scripts/tools.sh; $line" "$script" || failed=1
    done < <(grep -E '^require ' "$script")
done
echo "check-tools: $checked require lines of the scripts checked"
exit "$failed"
