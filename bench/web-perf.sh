#!/usr/bin/env bash
# Measures the web edition on ta71 (or the instance given): the page's size,
# Run to the first step shown, and the trace saved as a download against
# jobshop-insert writing it. Needs emscripten for the page.
#   bash bench/web-perf.sh [instance]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/ensure-tools.sh cmake g++ cli11 emscripten node npm chromium
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j2 --target jobshop-insert jobshop-web >/dev/null
(cd tests/browser && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error </dev/null)
JOBSHOP_BUILD="$PWD/build" node bench/web-perf.mjs "$@"
