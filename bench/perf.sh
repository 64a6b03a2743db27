#!/usr/bin/env bash
# Speed report: the whole program on ta71 against the floor of its own writes
# (the same write sizes replayed, computing nothing), against cp, and with
# its trace sent to /dev/null; its CPU time and peak memory; then the parts of
# a run in-process and how the schedule alone scales.
#   bench/perf.sh [runs]     (default 11)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-11}
bash scripts/ensure-tools.sh cmake g++ cli11
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target jobshop-insert jobshop-bench jobshop-compare >/dev/null
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
echo
echo "== whole program on ta71 =="
echo "targets: user <= 20 ms, program/floor <= 1.15, null <= 35 ms, peak <= 8 MiB"
./build/jobshop-compare build/jobshop-insert bench/instances/ta71.txt "$runs"
echo
echo "== parts of the run on ta71 (in-process) =="
./build/jobshop-bench bench/instances/ta71.txt "$runs"
echo
echo "== schedule alone: should grow as OpCount^2 (constant time per op^2) =="
./build/jobshop-bench --scaling "$runs"
