#!/usr/bin/env bash
# Builds the programs and runs them on the bundled ft06 instance: the trace
# ft06_krok_po_kroku.txt and the replay page ft06_krok_po_kroku.html appear
# beside examples/ft06/input.txt. Names the web edition too, once a full
# build with emscripten has made it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/ensure-tools.sh cmake g++ cli11
echo "== Configuring the build in build/ =="
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
echo "== Building jobshop-insert and jobshop-replay (the first time takes a few minutes) =="
cmake --build build -j"$(nproc)" --target jobshop-insert jobshop-replay
echo "== Running jobshop-insert in examples/ft06 =="
cd examples/ft06
../../build/jobshop-insert
echo
echo "Trace: examples/ft06/ft06_krok_po_kroku.txt"
../../build/jobshop-replay >/dev/null
echo "Replay page (open it in a browser): examples/ft06/ft06_krok_po_kroku.html"
if [ -f ../../build/jobshop-web.html ]; then
    echo "Web edition (open it in a browser, no server needed): build/jobshop-web.html"
fi
