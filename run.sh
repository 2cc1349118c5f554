#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds, and starts Kivo with a local development server.
#   ./run.sh                              Kivo, and veltra-devserver on 127.0.0.1:42439
#   ./run.sh --state-folder /tmp/second   a second client with its own state files
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh

kivo_install_missing "${kivo_packages[@]}"
kivo_configure build
cmake --build build --parallel "$(nproc)" --target kivo veltra-devserver

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    kivo_install_missing xvfb xauth
    echo "There is no desktop session here, so Kivo runs on a virtual display (Xvfb) where"
    echo "nobody can see its window. To see and use it, run ./run.sh in a desktop session,"
    echo "or over 'ssh -X' from one. Ctrl+C ends it."
    KIVO_VIRTUAL_DISPLAY=1 exec xvfb-run -a "$0" "$@"
fi
if [ -n "${KIVO_VIRTUAL_DISPLAY:-}" ]; then
    echo "The virtual display is $DISPLAY. A second client runs on it with:"
    echo "  DISPLAY=$DISPLAY XAUTHORITY=$XAUTHORITY build/src/kivo --state-folder /tmp/kivo-second"
fi

# Start the development server unless something already listens on its port; stop it again
# when Kivo exits.
if ! (exec 3<>/dev/tcp/127.0.0.1/42439) 2>/dev/null; then
    build/server/veltra-devserver --port 42439 &
    server=$!
    trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null' EXIT
    echo "Log in with any user name and password at host 127.0.0.1."
fi
# The state files live where an installed Kivo keeps them, not in the build folder.
state=()
[[ " $* " == *" --state-folder"* ]] || state=(--state-folder "${XDG_CONFIG_HOME:-$HOME/.config}/Kivo")
build/src/kivo "${state[@]}" "$@"
