#!/usr/bin/env bash
# Fuzzes the console for the given number of seconds (default 60), starting
# from the transcript inputs and the corpus of earlier runs. Fails on any
# crash, sanitizer report, leak or input that runs longer than the timeout;
# the input that did it is written to build/fuzz/findings/.
#
# Running out of memory is not a finding: lines such as zurp.=zurp double a
# value each time, and under the sanitizers the allocator aborts instead of
# throwing std::bad_alloc, so fork mode runs the inputs in child processes and
# passes over the ones that hit the memory limit.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
fuzzer=build/fuzz/fuzz/console_fuzzer
corpus=build/fuzz/corpus
findings=build/fuzz/findings
mkdir -p "$corpus" "$findings"
for input in tests/transcripts/*.in; do
    cp "$input" "$corpus/seed-$(basename "$input")"
done

"$fuzzer" -fork=1 -ignore_ooms=1 -ignore_timeouts=0 -ignore_crashes=0 \
    -timeout=30 -rss_limit_mb=2048 -max_len=4096 -max_total_time="$seconds" \
    -dict=fuzz/expreval.dict -artifact_prefix="$findings/" "$corpus"
