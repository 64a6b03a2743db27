#!/usr/bin/env bash
# Every bundled benchmark and fuzz seed must give the trace, exit status and
# console text recorded in tests/golden/traces.sha256.
#   tests/check-trace-digests.sh <program>
# After a deliberate change of output, regenerate the file with
#   bench/trace-digests.sh <program> benchmarks/*.txt fuzz/corpus/* > tests/golden/traces.sha256
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
cd "$here"
diff -u tests/golden/traces.sha256 \
    <(bash bench/trace-digests.sh "$1" benchmarks/*.txt fuzz/corpus/*)
