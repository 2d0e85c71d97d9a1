#!/usr/bin/env bash
# A 100 MB line: a string joined to another one. The answer must be the whole
# joined string, and the session must go on.
set -euo pipefail
console=$1

length=100000000
answer=$(mktemp)
trap 'rm -f "$answer"' EXIT
{
    printf '"'
    head -c $length /dev/zero | tr '\0' a
    printf '"."b"\nzurp\n'
} | "$console" >"$answer"

expected='Expression Evaluator Test Program v 1.01
Type in a . to quit.
Enter expression: The result is "ab"
Enter expression: The result is {1,2,3,4,5}
Enter expression: '
squeezed=$(tr -s a <"$answer")
size=$(stat -c %s "$answer")
if [[ "$squeezed" != "$expected" || $size -ne $((${#expected} + length - 1)) ]]; then
    echo "unexpected output, $size bytes:" >&2
    cut -c1-100 "$answer" >&2
    exit 1
fi
