#!/usr/bin/env bash
# Prints the SHA-256 and size of the trace a program writes for each instance
# file given, one line per file: "<file> <trace sha256> <bytes> <status>
# <console sha256>" (the console part covers standard output and error). Two
# builds that print the same lines wrote the same bytes for every instance.
#   bench/trace-digests.sh <program> <instance-file>...
# Each instance runs in a scratch folder (on /dev/shm when present), in a new
# session with standard input from /dev/null, so the program does not wait.
set -euo pipefail
program=$(realpath "$1")
shift
base=/dev/shm
[ -d "$base" ] || base=${TMPDIR:-/tmp}
scratch=$(mktemp -d "$base/jobshop-digests-XXXXXX")
trap 'rm -rf "$scratch"' EXIT
for instance in "$@"; do
    rm -rf "${scratch:?}"/*
    cp "$instance" "$scratch/input.txt"
    status=0
    (cd "$scratch" && setsid -w "$program" </dev/null >stdout.txt 2>stderr.txt) || status=$?
    trace=$(find "$scratch" -maxdepth 1 -name '*_krok_po_kroku.txt' -print -quit)
    console=$(cat "$scratch/stdout.txt" "$scratch/stderr.txt" | sha256sum | cut -c1-16)
    if [ -n "$trace" ]; then
        echo "$(basename "$instance") $(sha256sum <"$trace" | cut -d' ' -f1) $(stat -c %s "$trace") $status $console"
    else
        echo "$(basename "$instance") - 0 $status $console"
    fi
done
