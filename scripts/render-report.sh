#!/usr/bin/env bash
# Builds QUELBY, writes the printed report of the default data set to PDF with quelby-cli on
# Letter and on Legal paper, and renders every page to PNG for review.
#   scripts/render-report.sh [OUT_DIR]      (default: build/review/report)
# BUILD_DIR chooses the build folder (default: build).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
source scripts/tools.sh
require - pdftoppm
build=${BUILD_DIR:-build}
out=${1:-$build/review/report}
# Only the tool is needed here.
quietly cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
quietly cmake --build "$build" --target quelby-cli
mkdir -p "$out"
for paper in letter legal; do
    pdf="$out/defaults-$paper.pdf"
    "$build/bin/quelby-cli" report - "$pdf" "$paper" 2> >(grep -v XDG_RUNTIME_DIR >&2)
    rm -f "$out/defaults-$paper"-*.png
    pdftoppm -png -r 96 "$pdf" "$out/defaults-$paper"
done
echo "Report pages in $out:"
ls -1 "$out"
