#!/usr/bin/env bash
# Fuzzes for the given number of seconds in all (default 60), half of them
# the console (console_fuzzer) and half the fast road against the reference
# (road_fuzzer), each starting from the transcript inputs and the corpus of
# its earlier runs; the road fuzzer also from lines the differential test
# draws, which reach calls, joins and assignments sooner. Fails on any
# crash, sanitizer report, leak, difference between the roads or input that
# runs longer than the timeout; the input that did it is written to
# build/fuzz/findings/.
#
# For the console, running out of memory is not a finding: lines such as
# zurp.=zurp double a value each time, and under the sanitizers the
# allocator aborts instead of throwing std::bad_alloc, so fork mode runs the
# inputs in child processes and passes over the ones that hit the memory
# limit. The road fuzzer bounds the size of values, and runs in one process:
# it then runs every input of its corpus before it mutates any, and finds a
# difference several times sooner.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
share=$(((seconds + 1) / 2))
findings=build/fuzz/findings
mkdir -p "$findings"

fuzz() {
    local target=$1 corpus=build/fuzz/corpus-$1
    shift
    mkdir -p "$corpus"
    for input in tests/transcripts/*.in; do
        cp "$input" "$corpus/seed-$(basename "$input")"
    done
    echo "fuzzing $target for $share seconds" >&2
    "build/fuzz/fuzz/$target" "$@" -timeout=30 -rss_limit_mb=2048 -max_len=4096 \
        -max_total_time="$share" -dict=fuzz/expreval.dict \
        -artifact_prefix="$findings/$target-" "$corpus"
}

fuzz console_fuzzer -fork=1 -ignore_ooms=1 -ignore_timeouts=0 -ignore_crashes=0
python3 tests/differential/compare_roads.py --write-seeds build/fuzz/corpus-road_fuzzer
fuzz road_fuzzer
