#!/usr/bin/env bash
# Builds the libFuzzer target with clang and runs it from the seed corpora:
# fuzz/corpus/ (input.txt of jobshop-insert), fuzz/corpus-convert/,
# fuzz/corpus-quality/ and fuzz/corpus-improve/ (FuzzRun.cpp says how a first
# byte marks them).
#   fuzz/run.sh [seconds] [workers]     defaults: 60 seconds, 1 worker
# New inputs go to fuzz/corpus-work/ (not committed); a crash, leak or
# timeout is written to fuzz/artifacts/ and makes the script fail.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
workers=${2:-1}
bash scripts/ensure-tools.sh cmake cli11 clang fuzzer
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DJOBSHOP_FUZZ=ON -DJOBSHOP_TESTS=OFF -DJOBSHOP_BENCH=OFF -DJOBSHOP_WERROR=ON >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target jobshop-fuzz
mkdir -p fuzz/corpus-work fuzz/artifacts
args=(-max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=4096
      -artifact_prefix=fuzz/artifacts/ -print_final_stats=1)
if [ "$workers" -gt 1 ]; then
    args+=(-fork="$workers" -ignore_crashes=0)
fi
./build-fuzz/jobshop-fuzz "${args[@]}" fuzz/corpus-work fuzz/corpus fuzz/corpus-convert \
    fuzz/corpus-quality fuzz/corpus-improve
