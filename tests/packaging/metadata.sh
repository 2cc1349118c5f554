#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The desktop entry, the AppStream metadata and the man pages are valid, and the names that
# tie them together agree: kivo.desktop, the icon kivo, the component net.veltra.Kivo.
set -euo pipefail
share=$1
fail() { echo "FAIL: $*" >&2; exit 1; }

for tool in desktop-file-validate appstreamcli man; do
    command -v "$tool" >/dev/null || fail "$tool is not installed (test.sh installs it)"
done
desktop-file-validate "$share/kivo.desktop"
appstreamcli validate --no-net "$share/metainfo/net.veltra.Kivo.metainfo.xml"
grep -qx 'Icon=kivo' "$share/kivo.desktop" || fail "the desktop entry's icon is not kivo"
grep -qx 'Exec=kivo' "$share/kivo.desktop" || fail "the desktop entry does not run kivo"
grep -q '<launchable type="desktop-id">kivo.desktop</launchable>' \
    "$share/metainfo/net.veltra.Kivo.metainfo.xml" || fail "the metadata launches another entry"
grep -q '<icon type="stock">kivo</icon>' "$share/metainfo/net.veltra.Kivo.metainfo.xml" ||
    fail "the metadata names another icon"
[ -f "$share/kivo.svg" ] || fail "no icon kivo.svg"
for page in kivo veltra-devserver; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$share/man/$page.1" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$page.1: $warnings"
done
# The pages are dated by the release, as the About box is.
released=$(grep -o '<release version="[^"]*" date="[^"]*"' \
    "$share/metainfo/net.veltra.Kivo.metainfo.xml" | head -n1 | sed 's/.*date="\(.*\)"/\1/')
month=$(LC_ALL=C date -d "$released" '+%B %Y')
for page in kivo veltra-devserver; do
    grep -q "^\.TH [^\"]*\"$month\"" "$share/man/$page.1" || fail "$page.1 is not dated $month"
done
# Every long option the server's page explains is in its synopsis too.
synopsis=$(sed -n '/^\.SH SYNOPSIS/,/^\.SH /p' "$share/man/veltra-devserver.1")
for option in $(sed -n '/^\.SH OPTIONS/,/^\.SH /p' "$share/man/veltra-devserver.1" |
                grep -o '\\-\\-[a-z\\-]*[a-z]' | grep -v '\\-\\-help'); do
    grep -qF -- "\\fB$option\\fR" <<<"$synopsis" || fail "the server's synopsis lacks $option"
done
echo "metadata agrees"
