#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds, and runs every test headless.
#   ./test.sh             the whole suite
#   ./test.sh --sanitize  the same, built with AddressSanitizer and UBSan (folder build-asan)
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh

build=build
options=()
if [ "${1:-}" = "--sanitize" ]; then
    build=build-asan
    options=(-DKIVO_SANITIZE=ON)
    export ASAN_OPTIONS=detect_leaks=0
    export UBSAN_OPTIONS=print_stacktrace=1
fi

kivo_install_missing "${kivo_packages[@]}" "${kivo_test_packages[@]}"
kivo_configure "$build" -DKIVO_BUILD_TESTS=ON "${options[@]}"
cmake --build "$build" --parallel "$(nproc)"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)"
