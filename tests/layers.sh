#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The source folders are layers: a file includes only headers of its own folder or of a lower
# layer, so the folders form no cycle.
#   common
#   connection, contacts, history, prefs
#   chat, ignore, login, notify
#   app
set -euo pipefail
src=${1:?the src folder}
declare -A rank=([common]=0 [connection]=1 [contacts]=1 [history]=1 [prefs]=1
    [chat]=2 [ignore]=2 [login]=2 [notify]=2 [app]=3)
declare -A home
for folder in "${!rank[@]}"; do
    for header in "$src/$folder"/*.h; do
        home[$(basename "$header")]=$folder
    done
done
status=0
for folder in "${!rank[@]}"; do
    for file in "$src/$folder"/*.h "$src/$folder"/*.cpp; do
        while read -r header; do
            target=${home[$header]:-}
            if [ -n "$target" ] && [ "$target" != "$folder" ] &&
                [ "${rank[$target]}" -ge "${rank[$folder]}" ]; then
                echo "FAIL: $folder/$(basename "$file") includes $target/$header, which is not below it"
                status=1
            fi
        done < <(sed -n 's/^#include "\(.*\)"$/\1/p' "$file")
    done
done
for folder in "$src"/*/; do
    name=$(basename "$folder")
    [ -n "${rank[$name]:-}" ] || { echo "FAIL: $name is in no layer"; status=1; }
done
[ $status -eq 0 ] && echo "every include points down"
exit $status
