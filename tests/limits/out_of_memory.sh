#!/usr/bin/env bash
# Runs the console in an address space of 64 MB on a line too long for it,
# then on a list doubled until memory runs out, then on strings that fill
# memory while they are read, evaluated or answered. Each such line must be
# answered "Out of memory." with the result Error, and the session must go on
# with every variable as it was.
set -euo pipefail
console=$1

limit=$((64 << 20))
doublings=40
output=$(
    {
        echo 'x=42'
        head -c $((80 << 20)) /dev/zero | tr '\0' 7
        echo
        echo 'x'
        for ((i = 0; i < doublings; ++i)); do echo '(zurp.=zurp)-{1}'; done
        echo 'x'
        echo 'zurp-{1}'
    } | prlimit --as=$limit "$console"
)

prompt='Enter expression: '
out_of_memory="${prompt}Out of memory."
two_lists="${prompt}Operation does not support two lists."
expected_start="Expression Evaluator Test Program v 1.01
Type in a . to quit.
${prompt}The result is 42
${out_of_memory}
The result is Error
${prompt}The result is 42"
expected_end="${prompt}The result is 42
${two_lists}
The result is Error
${prompt}"

fail() {
    echo "$1" >&2
    echo "--- output:" >&2
    echo "$output" | cut -c1-100 >&2
    exit 1
}

[[ "$output" == "$expected_start"* ]] || fail "the line too long for memory was not answered"
[[ "$output" == *"$expected_end" ]] || fail "the variables did not keep their values"
grown=$(grep -c -x -F "$two_lists" <<<"$output")
failed=$(grep -c -x -F "$out_of_memory" <<<"$output")
# One "Out of memory." is the long line's; zurp must have grown before memory
# ran out, and every doubling from then on must have failed.
((grown > 10 + 1 && failed > 1)) || fail "zurp grew $grown times, $failed lines ran out of memory"
((grown - 1 + failed - 1 == doublings)) || fail "some doublings gave neither answer"

banner='Expression Evaluator Test Program v 1.01
Type in a . to quit.
'
for megabytes in 12 16 20 24 28 32; do
    output=$(
        {
            printf '"'
            head -c $((megabytes << 20)) /dev/zero | tr '\0' a
            printf '"\n1+1\n'
        } | prlimit --as=$limit "$console" | tr -s a
    )
    answered="${banner}${prompt}The result is \"a\""
    failed="${banner}${out_of_memory}
The result is Error"
    next="
${prompt}The result is 2
${prompt}"
    [[ "$output" == "$answered$next" || "$output" == "$failed$next" ]] ||
        fail "a string of $megabytes MB was not answered"
done

# Quiet answers read each line into a string of their own: a line too long
# for memory, answered or not, must leave what it took free for the lines
# after it, here a string doubled to 4 MB.
doublings=18
for megabytes in 17 20 24; do
    output=$(
        {
            echo 's="aaaaaaaaaaaaaaaa"'
            head -c $((megabytes << 20)) /dev/zero | tr '\0' 7
            echo
            for ((i = 0; i < doublings; ++i)); do echo '(s=s.s)=="x"'; done
        } | prlimit --as=$limit "$console" -q 2>&1 | tr -s 7 || true
    )
    answered=$(grep -c -x 0 <<<"$output" || true)
    ((answered == doublings)) || fail "after a quiet line of $megabytes MB, $answered of $doublings doublings were answered"
done
