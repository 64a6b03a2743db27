#!/usr/bin/env bash
# Builds the program and runs it on the bundled ft06 instance; the trace
# ft06_krok_po_kroku.txt appears beside examples/ft06/input.txt.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/ensure-tools.sh cmake g++ cli11
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target jobshop-insert >/dev/null
cd examples/ft06
../../build/jobshop-insert
echo
echo "Trace: examples/ft06/ft06_krok_po_kroku.txt"
