#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Every translation file holds exactly the texts of the sources, each one translated. After
# changing texts: cmake --build build --target update_translations, then translate.
set -euo pipefail
lupdate=$1
sources=$2
shift 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for ts in "$@"; do
    cp "$ts" "$work/current.ts"
    "$lupdate" -silent -no-obsolete -locations none "$sources" -ts "$work/current.ts"
    if ! cmp -s "$ts" "$work/current.ts"; then
        echo "FAIL: $(basename "$ts") is not up to date with the sources:"
        diff "$ts" "$work/current.ts" | grep '^[<>] *<source>' || true
        status=1
    fi
    if grep -q 'type="unfinished"' "$work/current.ts"; then
        echo "FAIL: $(basename "$ts") has texts without a translation:"
        grep -B1 'type="unfinished"' "$work/current.ts" | grep '<source>' || true
        status=1
    fi
done
exit $status
