#!/usr/bin/env bash
# Whole programs through `tamrix` against the same programs in Lua 5.4:
#   - a generated program of 10 000 formulas (5 000 definitions, 5 000 calls
#     whose results are printed): compile and run;
#   - a loop of 10^7 iterations;
#   - a data structure: a 10^6-element real64_s array of the data library
#     filled with set and summed with get in while loops, against a Lua table
#     filled and summed the same way;
#   - a string of 10^5 pieces ("ab" and the decimal counter, 5 * 10^4 times)
#     built by string::wcscats and string::wcscati against Lua's
#     table.concat.  An append that does not fit resizes the string to
#     exactly the size it needs (wcscati reserves 22 more), so nearly every
#     counter copies the whole string: the building is quadratic, where
#     table.concat is linear.  One run of each, as it takes seconds;
#   - 10^6 calls of a one-parameter formula through sys::call against as
#     many direct calls: the ratio is of the two tamrix times;
#   - scaling: 10^4, 10^5 and 10^6 parameterless formulas that all call one
#     shared callee (compile, run, print, delete), with the growth exponent
#     fitted over the three sizes (1 is linear) and the ratio to Lua 5.4.
#     Lua allows 131071 functions in one function body, so its program
#     defines them in blocks of 50 000 inside immediately called functions.
# Each pair runs in this one invocation; the best of three runs counts, and
# the ratio is tamrix's time over Lua's.
#
#   bench/programs.sh [TAMRIX [LUA]]     (defaults: build-bench/bin/tamrix, lua5.4)
set -euo pipefail
tamrix=${1:-build-bench/bin/tamrix}
lua=${2:-lua5.4}
runs=3

if [[ ! -x $tamrix ]]; then
    echo "programs.sh: no tamrix at $tamrix" >&2
    exit 1
fi
if ! command -v "$lua" >/dev/null; then
    echo "programs.sh: $lua is not installed" >&2
    exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

generate_formulas() {
    local n=5000 k
    for ((k = 1; k <= n; k++)); do
        echo "f$k(x)= x*x + $k*x - sin(x)/($k+1);"
    done
    for ((k = 1; k <= n; k++)); do
        echo "f$k($k*0.001);"
    done
} >"$work/formulas.tm"

generate_formulas_lua() {
    local n=5000 k
    for ((k = 1; k <= n; k++)); do
        echo "function f$k(x) return x*x + $k*x - math.sin(x)/($k+1) end"
    done
    for ((k = 1; k <= n; k++)); do
        echo "io.write(string.format('%.16g\\n', f$k($k*0.001)))"
    done
} >"$work/formulas.lua"

cat >"$work/loop.tm" <<'PROGRAM'
(:i,s)= i=0, s=0, while(i<10000000, s=s+i, i++), s;
PROGRAM
cat >"$work/loop.lua" <<'PROGRAM'
local i, s = 0, 0
while i < 10000000 do s = s + i; i = i + 1 end
io.write(string.format('%.16g\n', s))
PROGRAM

cat >"$work/array.tm" <<'PROGRAM'
(:a,i,s)= a=new(real64_s, 1000000),
    i=0, while(i<1000000, set(a, i, i*0.5), i++),
    s=0, i=0, while(i<1000000, s=s+get(a, i), i++), delete(a), s;
PROGRAM
cat >"$work/array.lua" <<'PROGRAM'
local a = {}
local i = 0
while i < 1000000 do a[i + 1] = i * 0.5; i = i + 1 end
local s = 0
i = 0
while i < 1000000 do s = s + a[i + 1]; i = i + 1 end
io.write(string.format('%.16g\n', s))
PROGRAM

cat >"$work/pieces.tm" <<'PROGRAM'
(:s,i)= s=new(wchar_s, 1), i=0,
    while(i<50000, string::wcscats(s, "ab"), string::wcscati(s, i), i++),
    string::wcslen(s);
PROGRAM
cat >"$work/pieces.lua" <<'PROGRAM'
local t = {}
for i = 0, 49999 do
    t[#t + 1] = "ab"
    t[#t + 1] = tostring(i)
end
io.write(string.format('%.16g\n', #table.concat(t)))
PROGRAM

cat >"$work/call_by_handle.tm" <<'PROGRAM'
f(x)= x+1;
(:h,i,s,r)= h=HFor("f"), i=0, s=0, while(i<1000000, sys::call(2, h, i, &r), s=s+r, i++), s;
PROGRAM
cat >"$work/call_direct.tm" <<'PROGRAM'
f(x)= x+1;
(:i,s)= i=0, s=0, while(i<1000000, s=s+f(i), i++), s;
PROGRAM

# scaling_program N: N formulas calling one shared callee, and the Lua twin.
scaling_program() {
    local n=$1
    awk -v n="$n" 'BEGIN {
        print "g(x)= x*2+1;"
        for (k = 1; k <= n; k++) print "f" k "()= g(" k ");"
    }' >"$work/scale$n.tm"
    awk -v n="$n" 'BEGIN {
        print "local function g(x) return x*2+1 end"
        for (k = 1; k <= n; k++) {
            if (k % 50000 == 1) print ";(function()"
            print "function f" k "() return g(" k ") end"
            if (k % 50000 == 0 || k == n) print "end)()"
        }
        for (k = 1; k <= n; k++) {
            if (k % 50000 == 1) print ";(function()"
            print "io.write(string.format(\"%.16g\\n\", f" k "()))"
            if (k % 50000 == 0 || k == n) print "end)()"
        }
    }' >"$work/scale$n.lua"
}

# Milliseconds of the fastest of $runs runs; the output goes to a file so
# that the last run's output can be compared.
best_ms() {
    local out=$1
    shift
    local best=0 run start end ms
    for ((run = 0; run < runs; run++)); do
        start=$(date +%s%N)
        "$@" >"$out"
        end=$(date +%s%N)
        ms=$(((end - start) / 1000000))
        if ((run == 0 || ms < best)); then best=$ms; fi
    done
    echo "$best"
}

ratio() {
    awk -v a="$1" -v b="$2" 'BEGIN { if (b <= 0) b = 1; printf "%.2f", a / b }'
}

generate_formulas
generate_formulas_lua

printf '%-34s %12s %12s %8s\n' "program" "tamrix ms" "lua5.4 ms" "ratio"
# compare NAME PROGRAM [TAMRIX OPTIONS...]
compare() {
    local name=$1 program=$2
    shift 2
    local t l
    t=$(best_ms "$work/$program.tamrix.out" "$tamrix" "$@" "$work/$program.tm")
    l=$(best_ms "$work/$program.lua.out" "$lua" "$work/$program.lua")
    if ! cmp -s "$work/$program.tamrix.out" "$work/$program.lua.out"; then
        echo "programs.sh: $program: tamrix and Lua print different results" >&2
        diff "$work/$program.tamrix.out" "$work/$program.lua.out" | head -n 5 >&2
        exit 1
    fi
    printf '%-34s %12s %12s %8s\n' "$name" "$t" "$l" "$(ratio "$t" "$l")"
    last_tamrix_ms=$t
}
compare "10 000 formulas: compile + run" formulas
compare "loop of 10^7 iterations" loop
# The library is found beside tamrix or in the build's library directory.
compare "10^6-element array: set + get" array --load TmData32W.dll

libs=(--load TmData32W.dll --load TmString32W.dll --load TmSystem32W.dll)
saved_runs=$runs
runs=1
compare "10^5-piece string (quadratic)" pieces "${libs[@]}"
runs=$saved_runs

c=$(best_ms "$work/call_by_handle.out" "$tamrix" "${libs[@]}" "$work/call_by_handle.tm")
d=$(best_ms "$work/call_direct.out" "$tamrix" "$work/call_direct.tm")
if ! cmp -s "$work/call_by_handle.out" "$work/call_direct.out"; then
    echo "programs.sh: sys::call and the direct call print different sums" >&2
    exit 1
fi
printf '%-34s %12s %12s %8s\n' "10^6 calls: sys::call / direct" "$c" "$d" "$(ratio "$c" "$d")"

# Scaling: the same shape at three sizes; the largest runs once (seconds).
scale_ms=()
for n in 10000 100000 1000000; do
    scaling_program "$n"
    saved_runs=$runs
    if ((n == 1000000)); then runs=1; fi
    compare "scaling: $n formulas" "scale$n"
    runs=$saved_runs
    scale_ms+=("$last_tamrix_ms")
    rm -f "$work/scale$n".*
done
# The least-squares slope of log(time) over log(n) at three equally spaced
# log(n) is the slope between the outer two.  A fixed start-up cost flattens
# it at the small end, so the growth from 10^5 to 10^6 is shown as well.
awk -v a="${scale_ms[0]}" -v b="${scale_ms[1]}" -v c="${scale_ms[2]}" 'BEGIN {
    if (a <= 0) a = 1
    if (b <= 0) b = 1
    printf "%-34s %12s %12s %8.2f\n", "scaling: fitted growth exponent", "", "", \
        (log(c) - log(a)) / log(10) / 2
    printf "%-34s %12s %12s %8.2f\n", "scaling: time 10^6 / time 10^5", "", "", c / b
}'
