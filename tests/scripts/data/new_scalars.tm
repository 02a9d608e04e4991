// Scalars of every kind: new stores the low bytes of its argument (the first
// character of a string for wchar), get reads them back widened by kind.
// args: --load TmData32W.dll
i: get(new(int8, 255));
i: get(new(Uint8, 511));
i: get(new(char, 200));
i: get(new(int16, 65535));
i: get(new(Uint16, 65537));
i: get(new(wchar, "Abc"));
i: get(new(int32, 4294967295));
i: get(new(Uint32, -1));
i: get(new(int64, -5));
i: get(new(Uint64, -1));
i: get(new(int, 123456789012));
i: get(new(pointer, 77));
// A double's 8 bytes (1.5) unchanged; single-precision bits in the low half.
i: get(new(real64, 4609434218613702656));
i: get(new(real, 4609434218613702656));
i: get(new(real32, dtof(4609434218613702656)));
i: ftod(get(new(real32, dtof(4609434218613702656))));
// A complex scalar: get gives the real part, or both parts through slots.
i: get(new(complex, 7, 8));
i: (:c,re,im)= c=new(complex, 3, 4), get(c, &re, &im), re*10+im;
i: (:s,x)= s=new(int16, -2), get(s, &x), x;
// expect: i: -1
// expect: i: 255
// expect: i: 200
// expect: i: -1
// expect: i: 1
// expect: i: 65
// expect: i: -1
// expect: i: 4294967295
// expect: i: -5
// expect: i: -1
// expect: i: 123456789012
// expect: i: 77
// expect: i: 4609434218613702656
// expect: i: 4609434218613702656
// expect: i: 1069547520
// expect: i: 4609434218613702656
// expect: i: 7
// expect: i: 34
// expect: i: -2

// Without an initial value a scalar is created all the same.
i: (:s)= s=new(int32), s!=0;
i: (:s)= s=new(complex), set(s, 5, 6), get(s);
// expect: i: 1
// expect: i: 5

// Nothing to create: no argument, or an identifier that names no type,
// gives 0 without a report.
i: new();
i: new(0);
i: new(-26);
i: new(-300);
i: new(EndType);
err();
// expect: i: 0
// expect: i: 0
// expect: i: 0
// expect: i: 0
// expect: i: 0
// expect: 0
