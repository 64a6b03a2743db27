#!/usr/bin/env bash
# Speed report: the whole program on ta71 against cp writing the same trace,
# its CPU time and peak memory, then how the schedule alone scales.
#   bench/perf.sh [runs]     (default 7)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-7}
bash scripts/ensure-tools.sh cmake g++ cli11
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target jobshop-insert jobshop-bench jobshop-compare >/dev/null
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
echo
echo "== whole program vs cp on ta71 (targets: ratio <= 1.6, user <= 50 ms, peak <= 8 MiB) =="
./build/jobshop-compare build/jobshop-insert bench/instances/ta71.txt "$runs"
echo
echo "== parts of the run on ta71 (in-process) =="
./build/jobshop-bench bench/instances/ta71.txt "$runs"
echo
echo "== schedule alone: should grow as OpCount^2 (constant time per op^2) =="
./build/jobshop-bench --scaling "$runs"
