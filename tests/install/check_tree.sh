#!/usr/bin/env bash
# Checks an installed Tamrix tree: the layout, tamrix and an example program
# run with an empty environment, the libraries and texts come from the tree
# itself (not from a build directory), and both embedding examples build and
# run against it with CMake and with pkg-config.
#
# usage: check_tree.sh PREFIX LIBDIR SCRATCH
#   PREFIX   the installed prefix (.../usr for an unpacked package)
#   LIBDIR   its library directory relative to PREFIX (lib, lib/x86_64-linux-gnu)
#   SCRATCH  an empty directory for the embedding builds
set -euo pipefail
prefix=$1 libdir=$2 scratch=$3
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# Sanitizer settings are the only variables passed on: without them a
# sanitizer build cannot run at all where ptrace is refused.
clean_env=(env -i)
for name in ASAN_OPTIONS UBSAN_OPTIONS; do
    [[ -n ${!name:-} ]] && clean_env+=("$name=${!name}")
done

# Runs a command with an empty environment from an unrelated directory and
# compares its standard output with the expected text.
expect_output() {
    local what=$1 expected=$2
    shift 2
    local actual
    actual=$(cd / && "${clean_env[@]}" "$@" 2>&1) || true
    if [[ $actual != "$expected" ]]; then
        fail "$what"
        diff <(echo "$expected") <(echo "$actual") >&2 || true
    fi
}

# The expected output of a program: its "// expect:" lines.
expected_lines() {
    sed -n 's|^[[:space:]]*// expect: \{0,1\}||p' "$1"
}

for path in bin/tamrix "$libdir/libTamrix32W.so" "$libdir/libMTamrix32W.so" \
            "$libdir/tamrix/libTmData32W.so" "$libdir/tamrix/libTmString32W.so" \
            include/tamrix/tamrix.h "$libdir/cmake/Tamrix/TamrixConfig.cmake" \
            "$libdir/pkgconfig/tamrix.pc" share/tamrix/texts/errors-Tamrix32W.txt \
            share/tamrix/examples/programs/recursion.tm share/man/man1/tamrix.1 \
            share/mime/packages/tamrix.xml; do
    [[ -e $prefix/$path ]] || fail "missing $path"
done
# The versioned name is the one hosts record; the plain one is a link to it.
soname=$(readelf -d "$prefix/$libdir/libTamrix32W.so" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')
[[ $soname == libTamrix32W.so.9 && -e $prefix/$libdir/$soname ]] || fail "kernel SONAME '$soname'"

tamrix=$prefix/bin/tamrix
expect_output "tamrix -e" $'i: 42\n3628800' \
    "$tamrix" -e 'i: 6*7; fact(n)=which(n<=1, 1, n*fact(n-1)); fact(10)'
# A run error's reason comes from the installed texts.
report=$(cd / && "${clean_env[@]}" "$tamrix" -e 'which(0, 1)' 2>&1) || true
grep -q '出错原因' <<<"$report" || fail "no error reason from the installed texts: $report"

examples=$prefix/share/tamrix/examples/programs
expect_output "recursion.tm" "$(expected_lines "$examples/recursion.tm")" "$tamrix" "$examples/recursion.tm"
expect_output "strings.tm with two extension libraries" "$(expected_lines "$examples/strings.tm")" \
    "$tamrix" --load TmData32W.dll --load TmString32W.dll "$examples/strings.tm"

# Every library the run loads lies inside the tree.
loaded=$(cd / && env -i LD_DEBUG=files "$tamrix" --load TmData32W.dll -e 1 2>&1 |
         sed -n 's/.*file=\([^ ]*32W[^ ]*\).*/\1/p' | sort -u)
for file in $loaded; do
    [[ $file == "$prefix"/* ]] || fail "loaded from outside the tree: $file"
done
[[ $loaded == *libTamrix32W* && $loaded == *libTmData32W* ]] || fail "libraries loaded: $loaded"

# The installed editor, where it was built: one computation through its
# self-test hook on the toolkit's offscreen platform, with the run error's
# reason from the installed texts.
if [[ -x $prefix/bin/OpenTm32W ]]; then
    mkdir -p "$scratch/editor/home" "$scratch/editor/out"
    printf 'i: 6*7;\nwhich(0, 1)\n' >"$scratch/editor/program.tm"
    (cd / && timeout 60 env -i HOME="$scratch/editor/home" QT_QPA_PLATFORM=offscreen \
        OPENTM_SELF_TEST="$scratch/editor/out" "$prefix/bin/OpenTm32W" \
        "$scratch/editor/program.tm" >/dev/null 2>&1) || fail "OpenTm32W exited with $?"
    output=$(cat "$scratch/editor/out/output.txt" 2>/dev/null) || true
    [[ $output == *'i: 42'* && $output == *'出错原因'* ]] || fail "OpenTm32W output: $output"
fi

# The embedding examples, once with find_package and once with pkg-config.
embed_expected_cpp=$(cat "$here/embed_cpp.expected")
embed_expected_c=$(cat "$here/embed_c.expected")
if cmake -S "$prefix/share/tamrix/examples/embed" -B "$scratch/cmake" -G Ninja \
        -DCMAKE_PREFIX_PATH="$prefix" >"$scratch/cmake.log" 2>&1 &&
   cmake --build "$scratch/cmake" >>"$scratch/cmake.log" 2>&1; then
    expect_output "embed_cpp (CMake)" "$embed_expected_cpp" "$scratch/cmake/embed_cpp"
    expect_output "embed_c (CMake)" "$embed_expected_c" "$scratch/cmake/embed_c"
else
    fail "embedding examples with CMake"
    cat "$scratch/cmake.log" >&2
fi

export PKG_CONFIG_PATH=$prefix/$libdir/pkgconfig
pc_libdir=$(pkg-config --variable=libdir tamrix)
read -r -a flags <<<"$(pkg-config --cflags --libs tamrix)"
if c++ -std=c++17 -o "$scratch/embed_cpp" "$prefix/share/tamrix/examples/embed/embed.cpp" \
        "${flags[@]}" "-Wl,-rpath,$pc_libdir" &&
   cc -std=c11 -o "$scratch/embed_c" "$prefix/share/tamrix/examples/embed/embed.c" \
        "${flags[@]}" "-Wl,-rpath,$pc_libdir"; then
    expect_output "embed_cpp (pkg-config)" "$embed_expected_cpp" "$scratch/embed_cpp"
    expect_output "embed_c (pkg-config)" "$embed_expected_c" "$scratch/embed_c"
else
    fail "embedding examples with pkg-config"
fi

if ((failures > 0)); then
    echo "$failures check(s) failed in $prefix" >&2
    exit 1
fi
echo "installed tree $prefix: all checks passed"
