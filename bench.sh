#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the benchmarks (optimised, folder build-bench) and prints their figures.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/setup.sh

kivo_install_missing "${kivo_packages[@]}"
kivo_configure build-bench -DCMAKE_BUILD_TYPE=Release -DKIVO_BUILD_TESTS=OFF -DKIVO_BUILD_BENCH=ON
cmake --build build-bench --parallel "$(nproc)" >build-bench.log || { cat build-bench.log; exit 1; }
echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'); $(date -u +%Y-%m-%d)"
for bench in bench_receive bench_transcript bench_windows bench_spelling bench_history bench_contacts bench_contact_list bench_startup bench_flood; do
    echo
    build-bench/bench/$bench
done
