#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Kivo as a native Wayland client under Weston: with a seat (Weston's X11 backend inside a
# virtual X server) a whole session runs; without one (the headless backend) Kivo starts
# and stays up. Skipped, and said, where Weston is not installed.
set -euo pipefail
session_test=${1:?the tst_wayland program}
kivo=${2:?the kivo program}
if ! command -v weston >/dev/null || ! command -v xvfb-run >/dev/null; then
    echo "SKIPPED: weston or xvfb-run is not installed"
    exit 77
fi
runtime=$(mktemp -d)
state=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$runtime" "$state"' EXIT
chmod 700 "$runtime"
export XDG_RUNTIME_DIR=$runtime QT_QPA_PLATFORM=wayland
unset DISPLAY

wait_for_socket() {
    for _ in $(seq 100); do
        [ -S "$runtime/$1" ] && return 0
        sleep 0.1
    done
    echo "FAIL: weston did not open $1"
    return 1
}

weston --backend=headless-backend.so --socket=kivo-headless --idle-time=0 >/dev/null 2>&1 &
wait_for_socket kivo-headless
status=0
WAYLAND_DISPLAY=kivo-headless timeout 5 "$kivo" --state-folder "$state" 2>"$state/stderr" || status=$?
if [ "$status" -ne 124 ]; then
    echo "FAIL: without a seat Kivo ended with status $status"
    cat "$state/stderr"
    exit 1
fi
echo "PASS: without a seat Kivo started and stayed up"

# shellcheck disable=SC2016
xvfb-run -a bash -c '
    weston --backend=x11-backend.so --socket=kivo-seat --idle-time=0 >/dev/null 2>&1 &
    for _ in $(seq 100); do [ -S "$XDG_RUNTIME_DIR/kivo-seat" ] && break; sleep 0.1; done
    WAYLAND_DISPLAY=kivo-seat "$0"
    status=$?
    kill %1
    exit $status' "$session_test"
