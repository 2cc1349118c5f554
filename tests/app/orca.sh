#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Kivo with a real screen reader: Orca on a private session and accessibility bus, its speech
# going to espeak-ng with no sound card, Kivo driven by key presses alone under a virtual X
# server, and what Orca sent to speech read back from its debug log. Skipped, and said, where
# Orca is not installed.
set -euo pipefail
kivo=${1:?the kivo program}
server=${2:?the veltra-devserver program}
for tool in orca speech-dispatcher xvfb-run xdotool openbox dbus-run-session; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIPPED: $tool is not installed"
        exit 77
    fi
done
if [ -z "${KIVO_ORCA_INSIDE:-}" ]; then
    export KIVO_ORCA_INSIDE=1
    exec xvfb-run -a -s "-screen 0 1280x800x24" dbus-run-session -- "$0" "$@"
fi

# Orca will not start while another of the user's runs (one of an earlier test may still be
# ending); the user's own screen reader is left alone.
for _ in $(seq 50); do
    pgrep -u "$(id -u)" -x orca >/dev/null || break
    sleep 0.1
done
if pgrep -u "$(id -u)" -x orca >/dev/null; then
    echo "SKIPPED: another Orca of this user is running"
    exit 77
fi

home=$(mktemp -d)
finish() {
    kill $(jobs -p) 2>/dev/null || true
    for _ in $(seq 50); do
        [ -z "$(jobs -pr)" ] && break
        sleep 0.1
    done
    kill -9 $(jobs -pr) 2>/dev/null || true
    rm -rf "$home"
}
trap finish EXIT
state=$home/state
log=$home/orca.log
mkdir -p "$state" "$home/run" "$home/.config"
chmod 700 "$home/run"
export HOME=$home XDG_RUNTIME_DIR=$home/run XDG_CONFIG_HOME=$home/.config
export XDG_DATA_HOME=$home/.local/share XDG_CACHE_HOME=$home/.cache
unset QT_QPA_PLATFORM QT_LINUX_ACCESSIBILITY_ALWAYS_ON
# No sound card: libao's null driver under speech-dispatcher's espeak-ng.
echo default_driver=null >"$home/.libao"
cp -r /etc/speech-dispatcher "$XDG_CONFIG_HOME/"
printf 'AudioOutputMethod "libao"\nDefaultModule espeak-ng\n' \
    >>"$XDG_CONFIG_HOME/speech-dispatcher/speechd.conf"

port=$((20000 + RANDOM % 20000))
"$server" --address 127.0.0.1 --port "$port" >/dev/null 2>&1 &
printf 'C|general|General|\r\nU|general_contact_bob|bob|general\r\n' >"$state/contacts.dat"
printf '\r\n\r\n\r\n%s\r\n' "$port" >"$state/connection.dat"

# What Orca sent to speech so far, an utterance a line.
speech() {
    grep -o "SPEECH OUTPUT: .*" "$log" 2>/dev/null | sed "s/^SPEECH OUTPUT: //; s/ *{'established.*//"
}
fail() {
    echo "FAIL: $*"
    echo "What Orca said:"
    speech || true
    cp "$log" "${TMPDIR:-/tmp}/kivo-orca-failed.log" 2>/dev/null || true
    import -window root "${TMPDIR:-/tmp}/kivo-orca-failed.png" 2>/dev/null || true
    xdotool getactivewindow getwindowname 2>/dev/null || true
    echo "Orca's output:"
    tail -20 "$home/orca.out" 2>/dev/null || true
    echo "Kivo's output:"
    cat "$home/kivo.log" 2>/dev/null || true
    exit 1
}
spoken=0 # utterances already looked at
# Waits until Orca says something matching, after what was already looked at.
hear() {
    local pattern=$1
    for _ in $(seq 150); do
        local found
        found=$(speech | tail -n +$((spoken + 1)) | grep -n -m1 -e "$pattern" | cut -d: -f1 || true)
        if [ -n "$found" ]; then
            spoken=$((spoken + found))
            echo "PASS: Orca said $(speech | sed -n "${spoken}p")"
            return 0
        fi
        sleep 0.1
    done
    fail "Orca never said \"$pattern\""
}
keys() {
    xdotool key --delay 150 "$@"
}
# Waits for a window of Kivo's to be the active one.
active() {
    xdotool search --sync --name "$1" windowactivate --sync >/dev/null 2>&1 ||
        fail "no window named $1 came up"
}

openbox >/dev/null 2>&1 &
# Orca writes its debug log through a buffer; opened line-buffered, what it said is in the log
# when it was said.
orca=$(command -v orca)
# shellcheck disable=SC2016
"$(head -1 "$orca" | sed 's/^#! *//')" -c '
import builtins, runpy, sys
log, orca = sys.argv[1:3]
real_open = builtins.open
builtins.open = lambda file, mode="r", *rest, **named: (
    real_open(file, mode, 1) if file == log else real_open(file, mode, *rest, **named))
sys.argv = ["orca", "--debug-file", log]
runpy.run_path(orca, run_name="__main__")
' "$log" "$orca" >"$home/orca.out" 2>&1 &
hear "Screen reader on"
"$kivo" --state-folder "$state" >"$home/kivo.log" 2>&1 &

# Enter on the focused Cancel closes the login dialog.
hear "Username: text"
active '^Login$'
keys Tab
hear "Password: password text"
xdotool type --delay 150 zqxjv
keys Tab
hear "Cancel push button"
keys Return
hear "Contacts tree"
if xdotool search --name '^Login$' >/dev/null; then
    fail "Enter on Cancel left the login dialog open"
fi
echo "PASS: Enter on the focused Cancel closed the login dialog"

# Logging in by keyboard alone, Enter on the focused OK.
keys alt+f
hear "^'Connect"
keys c
hear "Username: text"
active '^Login$'

xdotool type --delay 100 ann
keys Tab
hear "Password: password text"
xdotool type --delay 100 pw
keys Tab Tab
hear "Host: text"
xdotool type --delay 50 127.0.0.1
keys shift+Tab
hear "OK push button"
keys Return
hear "General"

# Lines from bob, spoken as they come: the first opens his window, the others come while its
# message line has the focus.
exec 3<>"/dev/tcp/127.0.0.1/$port"
printf '/login bob pw\r\n' >&3
sleep 0.5
printf '/pm ann first line from bob\r\n' >&3
hear "bob: first line from bob"
hear "Message text"
printf '/pm ann second line from bob\r\n' >&3
hear "bob: second line from bob"
printf '/pm ann third line from bob\r\n' >&3
hear "bob: third line from bob"

# Read back line by line, from the newest.
keys shift+Tab
hear "Conversation read only text"
hear "<bob> third line from bob"
keys Up
hear "<bob> second line from bob"
keys Up
hear "<bob> first line from bob"
keys Escape
hear "Message text"

if speech | grep -q -i -e "^'[zqxjv] '" -e zqxjv; then
    fail "the password's letters were spoken"
fi
echo "PASS: none of the password's letters was spoken"
