#!/usr/bin/env bash
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
    echo "Built build/src/kivo and build/server/veltra-devserver."
    echo "Kivo is a desktop program and needs a desktop session to show its window;"
    echo "without one, run it under a virtual display: xvfb-run ./run.sh"
    exit 0
fi

# Start the development server unless something already listens on its port; stop it again
# when Kivo exits.
if ! (exec 3<>/dev/tcp/127.0.0.1/42439) 2>/dev/null; then
    build/server/veltra-devserver --port 42439 &
    server=$!
    trap 'kill "$server" 2>/dev/null; wait "$server" 2>/dev/null' EXIT
    echo "Log in with any user name and password at host 127.0.0.1."
fi
build/src/kivo "$@"
