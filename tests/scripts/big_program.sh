#!/usr/bin/env bash
# A 50 MB program through `tamrix`: two formulas around 50 MB of line
# comments must print their results, and the same text ending in an unclosed
# block comment must give the comment error at the end of the text.
#
#   big_program.sh TAMRIX SCRATCH_FILE
set -euo pipefail
tamrix=$1
file=$2
size=$((50 * 1024 * 1024))

# `yes` ends on a broken pipe, which pipefail would count as a failure.
filler() {
    head -c "$size" < <(yes '// a line of filler that makes this program fifty megabytes long')
}

write_program() {
    {
        printf '1+2;\n'
        filler
        printf '\n3*4;\n%s' "$1"
    } >"$file"
}

write_program ''
output=$("$tamrix" "$file")
if [[ $output != $'3\n12' ]]; then
    echo "unexpected output of the 50 MB program: $output" >&2
    exit 1
fi

write_program '/* never closed'
set +e
errors=$("$tamrix" "$file" 2>&1 >/dev/null)
status=$?
set -e
rm -f "$file"
if ((status != 65)) || [[ $errors != *"注释符号/* ... */不成对。"* ]]; then
    echo "the unclosed comment gave status $status: $errors" >&2
    exit 1
fi
lines=$(($(filler | wc -l) + 4))
if [[ $errors != *"compile error -4 at $lines:"* ]]; then
    echo "the comment error is not reported on line $lines: $errors" >&2
    exit 1
fi
