#!/usr/bin/env bash
# Runs the replay page's tests: its modules under node's test runner (also
# part of ctest where node was found), then the page in Debian's chromium
# (never a browser download) driven by playwright-core, against the programs
# built in build/ (or $JOBSHOP_BUILD) by scripts/test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/ensure-tools.sh node npm chromium pdftotext
export JOBSHOP_BUILD="${JOBSHOP_BUILD:-$PWD/build}"
export PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1
(cd tests/page && node --test </dev/null)
cd tests/browser
npm ci --no-audit --no-fund --loglevel=error </dev/null
node --test </dev/null
