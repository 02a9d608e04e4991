#!/usr/bin/env bash
# tamrix as a filter and under a comma-decimal locale:
# - with its reader gone (| head -1) a long program stops early, with 141;
#   without the stop, the endless loop at its end would never finish;
# - output to a pipe comes before a later diagnostic in the merged stream;
# - numbers read and print the same under LC_ALL=de_DE.UTF-8 as under C.
#
#   filter_test.sh TAMRIX SCRATCH_DIR
set -uo pipefail
tamrix=$1
scratch=$2
mkdir -p "$scratch"
fail() {
    echo "filter test: $*" >&2
    exit 1
}

program=$scratch/endless.tm
{
    for ((i = 0; i < 200000; i++)); do printf '%d;\n' "$i"; done
    printf 'while(1, 0);\n'
} >"$program"
first=$("$tamrix" "$program" | head -n 1)
statuses=("${PIPESTATUS[@]}")
[[ $first == 0 ]] || fail "head read '$first'"
((statuses[0] == 141)) || fail "tamrix ended with ${statuses[0]} after its reader went away"

merged=$("$tamrix" -e '1.5; 2' -e '1+' 2>&1 | cat)
[[ $merged == $'1.5\n2\n编译错误：'* ]] || fail "results and diagnostic interleaved wrongly: $merged"

numbers='0.1+0.2; 1.5e3*2; 1/3; i: 7/2; c: (1.5+2.25i)*2; -2.5e-300'
expected=$(LC_ALL=C "$tamrix" -e "$numbers") || fail "the numbers program failed"
[[ $expected == $'0.3\n3000\n0.3333333333333333\ni: 3\nc: 3+4.5i\n-2.5e-300' ]] ||
    fail "unexpected numbers under C: $expected"
german=$(LC_ALL=de_DE.UTF-8 "$tamrix" -e "$numbers")
[[ $german == "$expected" ]] || fail "under de_DE.UTF-8 the numbers read: $german (C: $expected)"
german_error=$(LC_ALL=de_DE.UTF-8 "$tamrix" -e '1+' 2>&1)
[[ $german_error == *"编译错误："* ]] || fail "messages are not UTF-8 under de_DE.UTF-8: $german_error"
exit 0
