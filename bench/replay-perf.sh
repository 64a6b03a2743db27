#!/usr/bin/env bash
# Measures the replay page of ta71 (or the instance given): page size, time
# to write it, load time in headless Chromium, cost of a step change.
#   bash bench/replay-perf.sh [--against OTHER_BUILD] [--practice] [--scroll ID] [instance]
# (--against: the pages of both builds, measured side by side; --practice:
# in practice mode; --scroll: the steps taken with that element in view)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/ensure-tools.sh cmake g++ cli11 node npm chromium
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j2 --target jobshop-replay >/dev/null
(cd tests/browser && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error </dev/null)
JOBSHOP_BUILD="$PWD/build" node bench/replay-perf.mjs "$@"
