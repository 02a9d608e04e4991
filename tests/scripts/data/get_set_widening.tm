// get widens by kind in integer formulas: signed kinds sign-extended,
// unsigned and wchar zero-extended, real32 its bits in the low half, 8-byte
// kinds unchanged; set writes the low bytes by element size.
// args: --load TmData32W.dll
i: (:a)= a=new(int8_s, 1), set(a, 0, 255), get(a, 0);
i: (:a)= a=new(Uint8_s, 1), set(a, 0, 255), get(a, 0);
i: (:a)= a=new(int16_s, 1), set(a, 0, 98304), get(a, 0);
i: (:a)= a=new(Uint16_s, 1), set(a, 0, -1), get(a, 0);
i: (:a)= a=new(wchar_s, 1), set(a, 0, -1), get(a, 0);
i: (:a)= a=new(int32_s, 1), set(a, 0, 8589934591), get(a, 0);
i: (:a)= a=new(Uint32_s, 1), set(a, 0, -2), get(a, 0);
i: (:a)= a=new(real32_s, 1), set(a, 0, -1), get(a, 0);
i: (:a)= a=new(int64_s, 1), set(a, 0, -9223372036854775807), get(a, 0);
i: (:a)= a=new(Uint64_s, 1), set(a, 0, -3), get(a, 0);
i: (:a)= a=new(real64_s, 1), set(a, 0, 4609434218613702656), get(a, 0);
// expect: i: -1
// expect: i: 255
// expect: i: -32768
// expect: i: 65535
// expect: i: 65535
// expect: i: -1
// expect: i: 4294967294
// expect: i: 4294967295
// expect: i: -9223372036854775807
// expect: i: -3
// expect: i: 4609434218613702656

// The same for scalars, and set returns 0.
i: (:s)= s=new(int8), set(s, 128);
i: (:s)= s=new(int8), set(s, 128), get(s);
i: (:s)= s=new(Uint16), set(s, 70000), get(s);
i: (:s)= s=new(int32), set(s, 2147483648), get(s);
i: (:s)= s=new(real32), set(s, dtof(4609434218613702656)), ftod(get(s));
// expect: i: 0
// expect: i: -128
// expect: i: 4464
// expect: i: -2147483648
// expect: i: 4609434218613702656

// A result slot receives the widened element too.
i: (:a,x)= a=new(int16_s, 2, EndType, 5, -6), get(a, 1, &x), x;
i: (:s,x)= s=new(Uint8, 300), get(s, &x), x;
// Complex elements: the real part, or both parts through two slots.
i: (:a,re,im)= a=new(complex_s, 3), set(a, 2, 11, 12), get(a, 2, &re, &im), re*100+im;
i: (:a)= a=new(complex_s, 3), set(a, 2, 11, 12), get(a, 2);
i: (:c,re,im)= c=new(complex), set(c, -1, -2), get(c, &re, &im), re*100+im;
err();
// expect: i: -6
// expect: i: 44
// expect: i: 1112
// expect: i: 11
// expect: i: -102
// expect: 0
