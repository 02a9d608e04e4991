#!/usr/bin/env python3
"""Writes the seed corpora and the dictionary of the fuzz targets.

The seeds come from the script tests and the example programs: whole
programs for the module target, their statements (directives, prefixes and
markers stripped) for the compile targets.  Each seed carries the header
bytes its target reads first.  Run it again after adding programs; the files
are committed, so fuzzing never needs Python.

    python3 fuzz/make_corpus.py
"""
import hashlib
import pathlib
import re
import shutil

ROOT = pathlib.Path(__file__).resolve().parent.parent
OUT = ROOT / "fuzz" / "corpus"
PROGRAM_DIRS = [ROOT / "tests" / "scripts", ROOT / "examples" / "programs"]
# Programs that use the data library also seed the target that starts it.
DATA_PROGRAMS = [ROOT / "tests" / "scripts" / "data", ROOT / "examples" / "programs" / "data.tm",
                 ROOT / "tests" / "scripts" / "string", ROOT / "tests" / "scripts" / "system",
                 ROOT / "examples" / "programs" / "strings.tm",
                 ROOT / "examples" / "programs" / "formulas_at_run_time.tm",
                 ROOT / "tests" / "scripts" / "opt",
                 ROOT / "examples" / "programs" / "minimise_rosenbrock.tm",
                 ROOT / "examples" / "programs" / "minimise_within_bounds.tm",
                 ROOT / "examples" / "programs" / "fit_exponential_decay.tm"]
MAX_PROGRAM_BYTES = 4000  # keeps the corpus small; large inputs fuzz slowly
MAX_STATEMENTS = 60       # per compile target

MODULE_ONE = b"\x01\x00"


def utf16(text):
    return text.encode("utf-16-le")


def programs():
    for directory in PROGRAM_DIRS:
        for path in sorted(directory.rglob("*.tm")):
            data = path.read_bytes()
            if len(data) > MAX_PROGRAM_BYTES:
                continue
            try:
                yield path, data.decode("utf-8")
            except UnicodeDecodeError:
                continue


def strip_comments(text):
    text = re.sub(r"/\*.*?\*/", " ", text, flags=re.S)
    return re.sub(r"//[^\n]*", "", text)


def statements(text):
    """The formulas of a program, without directives, prefixes and markers.
    Splitting at ';' is naive about strings, which only makes odd seeds."""
    for raw in strip_comments(text).split(";"):
        s = raw.strip()
        if not s or s.startswith("#"):
            continue
        s = re.sub(r"^(integer|real|complex):\s*", "", s)
        s = re.sub(r"^~\s*", "", s)
        match = re.match(r"^([irc]):\s*", s)
        kind = {"i": 1, "r": 2, "c": 3}.get(match.group(1)) if match else 2
        s = s[match.end():] if match else s
        s = re.sub(r"^[!:]\s*", "", s)
        if s:
            yield kind, s


def write(target, data):
    directory = OUT / target
    directory.mkdir(parents=True, exist_ok=True)
    name = hashlib.sha1(data).hexdigest()[:16]
    (directory / name).write_bytes(data)


def main():
    if OUT.exists():
        shutil.rmtree(OUT)
    all_statements = []
    for path, text in programs():
        # Programs of the data library compile only where it is started;
        # the lines that need the test extension (kit::) are left out.
        if any(path == p or p in path.parents for p in DATA_PROGRAMS):
            kept = "\n".join(line for line in text.splitlines() if "kit::" not in line)
            write("fuzz_data_module", MODULE_ONE + utf16(kept))
            continue
        write("fuzz_com_module", MODULE_ONE + utf16(text))
        all_statements.extend(statements(text))
    seen = set()
    unique = [s for s in all_statements if not (s[1] in seen or seen.add(s[1]))]

    by_type = {1: "fuzz_int_com", 2: "fuzz_real_com", 3: "fuzz_complex_com"}
    # Each compiler gets its own statements first; the integer and complex
    # ones also accept most real text and fill up with it.
    for k in (1, 2, 3):
        own = [source for kind, source in unique if kind == k]
        other = [source for kind, source in unique if kind != k] if k != 2 else []
        for source in (own + other)[:MAX_STATEMENTS]:
            write(by_type[k], MODULE_ONE + utf16(source))

    # Compile-and-run: consecutive statements of a program, up to four, with
    # their types in byte 2 and parameter value 5 in byte 3.
    group = []
    for index, (kind, source) in enumerate(unique[: 4 * MAX_STATEMENTS]):
        group.append((kind, source))
        if len(group) == 4 or index % 3 == 2:
            types = sum(k << (2 * i) for i, (k, _) in enumerate(group))
            text = "\0".join(s for _, s in group)
            write("fuzz_compile_eval", MODULE_ONE + bytes([types, 5]) + utf16(text))
            group = []

    # Native tier: real statements four at a time, behind four bytes that
    # pick argument values (a different mix per group), and formulas that
    # use every operation the tier translates.
    real = [source for kind, source in unique if kind == 2] + NATIVE_TIER_FORMULAS
    for start in range(0, min(len(real), MAX_STATEMENTS), 4):
        picks = hashlib.sha256(bytes([start % 256])).digest()[:4]
        write("fuzz_native_tier", picks + utf16("\0".join(real[start:start + 4])))
    for index, source in enumerate(NATIVE_TIER_FORMULAS):
        write("fuzz_native_tier", bytes([0x10 * index % 256, 0x45, 0x67, 0x89]) + utf16(source))
    for index, source in enumerate(NATIVE_TIER_CALLS):
        write("fuzz_native_tier", bytes([0x31 * index % 256, 0x46, 0x57, 0x98]) + utf16(source))

    # Inputs a target once stopped on stay in its corpus.
    for types, text in REGRESSIONS:
        write("fuzz_compile_eval", MODULE_ONE + bytes([types, 5]) + utf16(text))

    # The registry target reads operations; a few random programs suffice.
    for seed in range(8):
        write("fuzz_registry", hashlib.sha256(bytes([seed])).digest() * 4)

    write_dictionary()


# Straight-line formulas over every operation of the native tier.
NATIVE_TIER_FORMULAS = [
    "f(a,b,c)=(a+b)*(a-b)/c+a^b",
    "f(a,b,c)=(a>b)+(a>=b)+(a<b)+(a<=b)+(a==b)+(a!=b)+(a&b)+(a|c)+!a-(-b)",
    "f(a,b,c)=sqrt(a)+exp(b)+ln(c)+lg(a)+sin(b)+cos(c)+tan(a)+asin(b)+acos(c)+atan(a)",
    "f(a,b,c)=sinh(a)+cosh(b)+tanh(c)+abs(a)+floor(b)+ceil(c)+itor(a)+rtoi(b)",
    "f(a,b,c)=atan2(a,b)+fmod(b,c)+sign(a,c)+dim(b,a)+padd(c,a)+return(a)",
    "f(a,b:x,static,s)=(x=a, x++, ++x, s--, --s, a=b*2, b++, (a, b, x*s))",
    "f(a::m,common,g)=(m=a, g++, ++m, g=g*m, m+g)",
    "f(a,b:i,s)=(i=0, s=0, while(i<5, i++, if(i==2, continue()), if(a>b, break()), s=s+i*a), s)",
    "f(a,b:i)=(i=0, until(a=a*0.5+b, (i=i+1)>3), which(a>b, a, a<b, b))+if(b, a)",
]

# Groups of formulas where the later ones call the earlier (NUL-joined):
# calls, write-back, recursion and external functions from native code.
NATIVE_TIER_CALLS = [
    "g(x)=(x=x*2, x+1)\0f(a,b:t)=(t=a, g(&t), g(b)+t)",
    "fib(n)=which(n<2, n, fib(n-1)+fib(n-2))\0f(a,b)=fib(10)+fib(fmod(abs(a),6))",
    "d(n)=if(n>0, d(n-1)+n)\0f(a,b:i,s)=(i=0, s=0, while(i<3, s=s+d(i)*a, i++), s+SetRealStackMax(100))",
]

# (types byte, formulas joined by NUL) for fuzz_compile_eval.
REGRESSIONS = [
    (2, "f(:static,free)=while(free,1)"),  # a release pass that never ends
]

DICTIONARY_WORDS = (
    "if which while until break continue return static free common "
    "sum pro SimpIntegrate DataSum DataPro GetCalByte HFor Module OutFun using const "
    "SetIntStackMax SetRealStackMax SetComplexStackMax max min modf err stop SetTalk "
    "sqrt exp ln lg sin cos tan asin acos atan sinh cosh tanh abs floor ceil itor rtoi "
    "itop ptoi getc getw getn atan2 fmod sign dim padd setc setw setn and or xor not "
    "shl shr con x0 y0 xy slen twice count fail itwice cswap ki kr kc hi hr hc "
    "++ -- >= <= == != :: ( ) [ ] { } = , : ; . ^ & | ! @\" \" \\\" \\& \\% \\x00FF "
    "\\[3] \\00065 #MODULE# #END# #USE# integer: real: complex: i: r: c: ~ /* */ // "
    "1e308 1e-308 9223372036854775807 0.5 1.5e3"
).split()

# The data library's functions and constants, for the target that starts it.
DATA_WORDS = (
    "new newcopy delete DelAllTMD DelAllTMDNum NowTMDNum SetTMDMax SetTMDRecurMax typedef "
    "TMDType TMDLen copy get set TMDToStr StrToTMD TMDstrlen TMDstrcpy TMDstrcat TMDstrcmp "
    "associated null ftod dtof printff printfs scanfs CSetLen CHasName CDupName CSetAllAttr "
    "CSD CSB CSetItem CSetItemI CGetNameI CSetName CSetNameI CGetP CGetPI CSetP CSetPI CGetA "
    "CGetAI CSetA CSetAI CAdd CAppend CInsert CInsertI CPop CDelete CDeleteI CReverse CSwap "
    "CSort CDFSBase INULL int8 Uint8 int16 Uint16 wchar int32 Uint32 int64 Uint64 real32 "
    "real64 complex int8_s Uint8_s int16_s Uint16_s wchar_s int32_s Uint32_s int64_s "
    "Uint64_s real32_s real64_s complex_s char char_s string int int_s pointer pointer_s "
    "real real_s class EndType NotDelete NULL true false {1,s} {1,r} {2,i} "
    "2147483647 4294967296 -2147483648 1e300 0/0"
).split()

# The string, system and optimisation libraries' names, started by the same
# target.
DATA_WORDS += [prefix + name for prefix, names in (
    ("string::", "setstrlen fstons nstofs strtowcs wcstostr strcpy wcscpy strcpys wcscpys strcat "
                 "wcscat strcats wcscats strcati wcscati strcatr wcscatr strcmp wcscmp strlen "
                 "wcslen"),
    ("sys::", "comfor comfors testtmfor call clock ShellExecute CLOCKS_PER_SEC tmfor"),
    ("opt::", "brent minimize fit NELDERMEAD SUBPLEX BOBYQA COBYLA LBFGS"),
) for name in names.split()] + ["HFor", "\\xD800", "\\xFFFF"]


def write_dictionary():
    dictionary(ROOT / "fuzz" / "formula.dict", DICTIONARY_WORDS)
    # A target with a dictionary of its own name uses that one (scripts/fuzz.sh).
    dictionary(ROOT / "fuzz" / "fuzz_data_module.dict", DICTIONARY_WORDS + DATA_WORDS)


def dictionary(path, words):
    lines = ["# Keywords, built-ins and operators as UTF-16LE text."]
    for word in words:
        encoded = "".join("\\x%02X" % b for b in utf16(word))
        lines.append('"%s"' % encoded)
    path.write_text("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
