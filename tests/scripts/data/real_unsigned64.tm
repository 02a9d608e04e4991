// Real formulas store a number into an integer kind truncated to an
// integer: an unsigned 64-bit element holds numbers up to 2^64 (above
// 2^63 too), and get gives the unsigned value back as a number.
// args: --load TmData32W.dll
i: minus_one(x)= new(Uint64, -1);
get(minus_one(0));
get(new(Uint64, 1e19));
(:a)= a=new(Uint64_s, 2), set(a, 1, 1.5e19), get(a, 1);
(:a)= a=new(Uint64_s, EndType, 12345678901234567000.0), get(a, 0);
(:a)= a=new(Uint64_s, 1), set(a, 0, 9.3e18), get(a, 0);
// expect: 1.844674407370955e+19
// expect: 1e+19
// expect: 1.5e+19
// expect: 1.234567890123457e+19
// expect: 9.3e+18
