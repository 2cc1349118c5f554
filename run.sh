#!/usr/bin/env bash
# Installs what is missing, builds, and starts Kivo.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh

kivo_install_missing "${kivo_packages[@]}"
kivo_configure build
cmake --build build --parallel "$(nproc)" --target kivo

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "Built build/src/kivo. Kivo is a desktop program and needs a desktop session;"
    echo "without one, try: xvfb-run ./run.sh"
    exit 0
fi
exec build/src/kivo "$@"
