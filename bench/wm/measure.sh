#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A burst of private messages under a real window manager: Xvfb and openbox, the development
# server, Kivo logged in as ann, carl sending COUNT messages, then dave one. Prints how long
# dave's message took to get a window and the CPU Kivo and the window manager spent.
#   bench/wm/measure.sh KIVO DEVSERVER COUNT        (needs xvfb, openbox, xdotool, python3)
set -u
KIVO=$1 SERVER=$2 COUNT=$3 PORT=42555
export DISPLAY=:77
here=$(cd "$(dirname "$0")" && pwd)
Xvfb "$DISPLAY" -screen 0 1280x1024x24 >/dev/null 2>&1 & xvfb=$!
sleep 1
openbox >/dev/null 2>&1 & wm=$!
"$SERVER" --port $PORT >/dev/null & server=$!
state=$(mktemp -d)
printf 'True\r\n' >"$state/settings.dat"
printf 'ann\r\npw\r\n127.0.0.1\r\n%s\r\n' $PORT >"$state/connection.dat"
printf 'C|general|General (2)|\r\nU|general_contact_carl|carl|general\r\nU|general_contact_dave|dave|general\r\n' >"$state/contacts.dat"
"$KIVO" --state-folder "$state" >/dev/null 2>&1 & kivo=$!
xdotool search --sync --name '^Login$' windowactivate --sync >/dev/null 2>&1
xdotool key Tab Tab Tab space # to OK, and press it
sleep 1.5
cpu() { awk '{print $14 + $15}' "/proc/$1/stat"; }
kivo0=$(cpu $kivo) wm0=$(cpu $wm)
python3 "$here/flood.py" $PORT "$COUNT" >"$state/flood.log" &
for _ in $(seq 1 1200); do
    xdotool search --name '^dave - Chat$' >/dev/null 2>&1 && break
    sleep 0.25
done
seen=$(date +%s.%N)
sent=$(awk '/dave sent/ {print $3}' "$state/flood.log")
kivo1=$(cpu $kivo) wm1=$(cpu $wm)
sleep 3
kivo2=$(cpu $kivo) wm2=$(cpu $wm)
tick=$(getconf CLK_TCK)
echo "$COUNT messages: dave's window $(python3 -c "print(round($seen - ${sent:-$seen}, 2))") s after his message;" \
    "CPU until then: Kivo $(((kivo1 - kivo0) * 1000 / tick)) ms, window manager $(((wm1 - wm0) * 1000 / tick)) ms;" \
    "in the 3 s after: Kivo $(((kivo2 - kivo1) * 1000 / tick)) ms, window manager $(((wm2 - wm1) * 1000 / tick)) ms"
kill $kivo $server $wm $xvfb 2>/dev/null
wait 2>/dev/null
rm -rf "$state"
