#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the fuzz targets with clang (folder build-fuzz) and runs each for the given number
# of seconds (default 600), all at once. New corpus entries stay in build-fuzz/corpus;
# crashing inputs land in build-fuzz/crashes and belong in tests as regression cases.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/setup.sh
seconds=${1:-600}

kivo_install_missing "${kivo_packages[@]}" clang libclang-rt-14-dev
CC=clang CXX=clang++ kivo_configure build-fuzz -DKIVO_FUZZ=ON -DKIVO_BUILD_TESTS=OFF
cmake --build build-fuzz --target fuzz_receive fuzz_statefiles fuzz_text fuzz_search
mkdir -p build-fuzz/crashes
status=0
for target in receive statefiles text search; do
    mkdir -p "build-fuzz/corpus/$target"
    ASAN_OPTIONS=detect_leaks=0 "build-fuzz/fuzz/fuzz_$target" -max_total_time="$seconds" \
        -timeout=10 -rss_limit_mb=2048 -artifact_prefix=build-fuzz/crashes/ \
        "build-fuzz/corpus/$target" "fuzz/corpus/$target" >"build-fuzz/fuzz_$target.log" 2>&1 &
done
for job in $(jobs -p); do
    wait "$job" || status=1
done
tail -n 3 build-fuzz/fuzz_*.log
exit $status
