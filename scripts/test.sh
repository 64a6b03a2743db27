#!/usr/bin/env bash
# Builds everything with warnings as errors and runs the tests, all but the
# slow ones (label "slow": the whole traces of the bundled benchmarks), which
# .ci/run adds; `ctest --test-dir build -L slow` runs them alone.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/ensure-tools.sh cmake g++ gtest cli11
echo "== Configuring the build in build/ =="
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DJOBSHOP_WERROR=ON >/dev/null
echo "== Building the programs, the tests and, with emscripten, the web edition (the first time takes a few minutes) =="
cmake --build build -j"$(nproc)"
echo "== Running the quick tests =="
ctest --test-dir build --output-on-failure -j"$(nproc)" -LE slow
