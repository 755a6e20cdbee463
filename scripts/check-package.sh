#!/usr/bin/env bash
# Checks the Debian package scripts/package.sh made: the paths it installs, lintian with no
# errors, the desktop entry and the AppStream metainfo.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/tools.sh
require --package dpkg-deb lintian desktop-file-validate appstreamcli
deb=$(ls build-package/package/quelby_*_amd64.deb | head -n 1)
contents=$(dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|')
id=org.quelby.Quelby
missing=0
for path in /usr/bin/quelby /usr/bin/quelby-cli /usr/bin/quelby-sim \
    /usr/share/quelby/Support/FaultErrCodes.txt /usr/share/quelby/Support/CommErrCodes.txt \
    /usr/share/quelby/Support/SerialPorts.cfg /usr/share/quelby/Help/index.html \
    /usr/share/quelby/samples/K650DEMO.hbx /usr/share/quelby/samples/K650DEMO.hex \
    /usr/share/quelby/samples/K650DEMO.rev \
    /usr/share/applications/$id.desktop /usr/share/metainfo/$id.metainfo.xml \
    /usr/share/icons/hicolor/scalable/apps/$id.svg /usr/share/icons/hicolor/48x48/apps/$id.png \
    /usr/share/icons/hicolor/256x256/apps/$id.png \
    /usr/share/man/man1/quelby.1.gz /usr/share/man/man1/quelby-cli.1.gz \
    /usr/share/man/man1/quelby-sim.1.gz \
    /usr/share/doc/quelby/copyright /usr/share/doc/quelby/changelog.gz \
    /usr/share/doc/quelby/examples/99-quelby-serial.rules \
    "/usr/share/doc/quelby/examples/quelby-publish@.service" \
    /usr/share/doc/quelby/examples/line.conf \
    /usr/share/bash-completion/completions/quelby-cli \
    /usr/share/bash-completion/completions/quelby-sim; do
    if ! grep -qx -- "$path" <<<"$contents"; then
        echo "check-package: $deb lacks $path" >&2
        missing=1
    fi
done
[ "$missing" -eq 0 ]
echo "check-package: every path is in $(basename "$deb")"
depends=$(dpkg-deb -f "$deb" Depends)
echo "$depends"
if ! grep -q 'fonts-liberation2' <<<"$depends"; then
    echo "check-package: $deb does not depend on fonts-liberation2, the report's face" >&2
    exit 1
fi
for program in quelby quelby-cli quelby-sim; do
    if ! zgrep -q '^\.SH "EXIT STATUS"' "build-package/packaging/man/$program.1.gz"; then
        echo "check-package: the man page of $program has no EXIT STATUS section" >&2
        exit 1
    fi
done
lintian --fail-on error "$deb"
desktop-file-validate packaging/$id.desktop
appstreamcli validate --no-net --pedantic build-package/packaging/$id.metainfo.xml
echo "check-package: lintian, desktop-file-validate and appstreamcli found no errors"
