#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Rest, side by side under Xvfb and openbox, one program at a time: Kivo logged in to the
# development server with the room "general" open and active; a plain Qt widgets program with
# the same windows (the floor any Qt client stands on); HexChat, when installed, in one channel
# of a stub IRC server. Each gets SECONDS of quiet to settle, then its wake-ups (voluntary
# context switches of all its threads) are counted over SECONDS; its resident memory and
# threads are read at the end. Then 20 people send a private message each, and what each
# conversation that opens costs is printed (resident after minus before, over 20): Kivo with
# windows, Kivo with tabs (a second start, "Show conversations as tabs"), HexChat. With
# --where, the mappings where Kivo holds more resident memory than the floor are listed.
#   bench/rest/measure.sh KIVO DEVSERVER FLOOR [SECONDS] [--where]
#                                      (needs xvfb, openbox, xdotool, python3; hexchat optional)
set -u
KIVO=$1 SERVER=$2 FLOOR=$3 QUIET=${4:-30} WHERE=${5:-}
PORT=42556 IRC_PORT=42557
export DISPLAY=:78
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
Xvfb "$DISPLAY" -screen 0 1280x1024x24 >/dev/null 2>&1 & xvfb=$!
until xdotool getdisplaygeometry >/dev/null 2>&1; do sleep 0.1; done
openbox >/dev/null 2>&1 & wm=$!
sleep 1
"$SERVER" --port $PORT >/dev/null & server=$!
python3 "$here/ircd.py" $IRC_PORT & ircd=$!
trap 'kill $server $ircd $wm $xvfb 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT

switches() { awk '/^voluntary_ctxt_switches/ {s += $2} END {print s}' /proc/"$1"/task/*/status; }
resident() { awk '/^VmRSS/ {print $2}' /proc/"$1"/status; }
# Pages no other process shares: the program's own data and the code pages only it has in.
private() { awk '/^Private_(Clean|Dirty)/ {s += $2} END {print s}' /proc/"$1"/smaps; }
# NAME PID: waits, measures and prints one line; the program is ended afterwards.
measure() {
    sleep "$QUIET"
    local before after
    before=$(switches "$2")
    sleep "$QUIET"
    after=$(switches "$2")
    printf '%-10s %6.1f MiB resident (%4.1f private)  %5.2f wake-ups/s  %2d threads\n' "$1" \
        "$(echo "$(resident "$2") / 1024" | bc -l)" "$(echo "$(private "$2") / 1024" | bc -l)" \
        "$(echo "($after - $before) / $QUIET" | bc -l)" \
        "$(ls /proc/"$2"/task | wc -l)"
}
# Resident KiB of each mapped file (anonymous memory as [anon]) of a process.
mappings() {
    awk '/^[0-9a-f]+-[0-9a-f]+ / {f = ($6 == "" ? "[anon]" : $6)} /^Rss:/ {r[f] += $2}
         END {for (k in r) print k, r[k]}' /proc/"$1"/smaps | sort
}
active() { xdotool search --sync --name "$1" windowactivate --sync >/dev/null 2>&1; }
# NAME PID COMMAND...: resident memory before and after COMMAND brings 20 private messages.
conversations() {
    local name=$1 pid=$2 before
    shift 2
    sleep 2
    before=$(resident "$pid")
    "$@"
    sleep 10
    printf '%-10s %6.0f KiB resident for each of 20 private conversations\n' "$name" \
        "$(echo "($(resident "$pid") - $before) / 20" | bc -l)"
}
# Twenty people of the development server, u1 to u20, each send ann a line (and stay until
# leave_all).
people=()
twenty_messages() {
    for number in $(seq 20); do
        exec {person}<>"/dev/tcp/127.0.0.1/$PORT"
        people+=("$person")
        printf '/login u%d pw\r\n/pm ann hello there\r\n' "$number" >&$person
        sleep 0.2
    done
}
leave_all() {
    for person in "${people[@]}"; do exec {person}>&-; done
    people=()
    sleep 1
}
# STATE: Kivo logged in as ann with the room "general" open; its process id in $kivo.
start_kivo() {
    local state=$1
    printf 'True\r\n' >"$state/settings.dat"
    printf 'ann\r\npw\r\n127.0.0.1\r\n%s\r\n' $PORT >"$state/connection.dat"
    {
        printf 'C|general|General|\r\nU|general_contact_bob|bob|general\r\nU|general_contact_carl|carl|general\r\n'
        for number in $(seq 20); do printf 'U|general_contact_u%d|u%d|general\r\n' $number $number; done
    } >"$state/contacts.dat"
    "$KIVO" --state-folder "$state" >/dev/null 2>&1 & kivo=$!
    active '^Login$'
    xdotool key Tab Tab Tab space # to OK, and press it
    sleep 1
    active '^Kivo'
    xdotool key alt+f j
    active '^Join Conference$'
    xdotool key Tab Return # from Cancel, where the dialog opens, to OK
    active '^general Room$'
}

mkdir "$work/kivo" "$work/tabs"
start_kivo "$work/kivo"
measure Kivo $kivo
[ "$WHERE" = --where ] && mappings $kivo >"$work/kivo.map"
conversations Kivo $kivo twenty_messages
kill $kivo
leave_all
printf '[General]\nconversationTabs=true\n' >"$work/tabs/kivo.ini"
start_kivo "$work/tabs"
conversations 'Kivo, tabs' $kivo twenty_messages
kill $kivo

"$FLOOR" & floor=$!
active '^Floor Room$'
# Used as Kivo was: its File menu opened once (Qt's style strokes the menu's frame).
active '^Floor$'
xdotool key alt+f
sleep 0.5
xdotool key Escape Escape
active '^Floor Room$'
measure 'Plain Qt' $floor
[ "$WHERE" = --where ] && mappings $floor >"$work/floor.map"
kill $floor

if command -v hexchat >/dev/null; then
    mkdir "$work/hexchat"
    printf 'irc_nick1 = ann\nirc_user_name = ann\nirc_real_name = ann\ngui_slist_skip = 1\ngui_tray = 0\n' \
        >"$work/hexchat/hexchat.conf"
    hexchat --cfgdir="$work/hexchat" --no-plugins "irc://127.0.0.1:$IRC_PORT/#general" >/dev/null 2>&1 &
    hexchat=$!
    # As root it first warns in a box of its own; Return dismisses it.
    until xdotool search --name 'general' >/dev/null 2>&1; do
        sleep 1
        [ "$(id -u)" -eq 0 ] && xdotool key Return
    done
    active 'general'
    measure HexChat $hexchat
    conversations HexChat $hexchat kill -USR1 $ircd
    kill $hexchat
else
    echo "HexChat    not installed: only Kivo and the floor were measured"
fi

if [ "$WHERE" = --where ]; then
    echo
    echo "Where Kivo holds more than the floor (KiB resident, differences over 32):"
    join -a1 -a2 -e0 -o 0,1.2,2.2 "$work/kivo.map" "$work/floor.map" |
        awk '$2 - $3 > 32 || $3 - $2 > 32 {printf "  %+6d  %s\n", $2 - $3, $1}' | sort -rn
fi
