// fstons copies another formula's string into the caller's own string area,
// nstofs the other way; both give 0.  The region from dest to dest + size
// must lie in the area, and the string with its terminator must fit in size.
// args: --load TmData32W.dll --load TmString32W.dll
i: :g()= "hello";
i: (:h,buf)= h=HFor("g"), buf="........", string::fstons(1, h, g(), buf, 9),
   string::wcscmp(new(wchar_s, EndType, buf), new(wchar_s, EndType, "hello"));
// expect: i: 0
i: (:h,buf)= h=HFor("g"), string::nstofs("HEY", 1, h, g(), 4), buf="........",
   string::fstons(1, h, g(), buf, 9), string::wcscmp(new(wchar_s, EndType, buf), new(wchar_s,
   EndType, "HEY"));
// expect: i: 0
// Real formulas carry the handle as a bit pattern.
r: :rg()= "real";
r: (:h,buf)= h=HFor("rg"), buf=".......", string::fstons(2, h, rg(), buf, 8),
   string::wcscmp(new(wchar_s, EndType, buf), new(wchar_s, EndType, "real"));
// expect: 0
// fstons: 1 bad type, 2 bad source (also a handle that names no formula),
// 3 destination region outside the area, 4 source too long for size (g now
// holds "HEY").
i: string::fstons(4, HFor("g"), g(), "........", 9);
err();
i: string::fstons(1, HFor("g"), 100000, "........", 9);
err();
i: string::fstons(1, 12345, 1, "........", 9);
err();
i: string::fstons(1, HFor("g"), g(), "........", 900);
err();
i: string::fstons(1, HFor("g"), g(), "........", 3);
err();
// nstofs: 1 bad source, 2 bad type, 3 bad region (or no such formula),
// 4 source too long.
i: string::nstofs(100000, 1, HFor("g"), g(), 4);
err();
i: string::nstofs("x", 0, HFor("g"), g(), 4);
err();
i: string::nstofs("x", 1, HFor("g"), g(), 900);
err();
i: string::nstofs("x", 1, 0, 1, 1);
err();
i: string::nstofs("longer", 1, HFor("g"), g(), 5);
err();
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: 1
// expect run error: string::fstons
// expect stdout: 整数函数名：string::fstons  错误代码：1
// expect stdout: 整数函数名：string::fstons  错误代码：2
// expect stdout: 整数函数名：string::fstons  错误代码：3
// expect stdout: 整数函数名：string::fstons  错误代码：4
// expect stdout: 整数函数名：string::nstofs  错误代码：1
// expect stdout: 整数函数名：string::nstofs  错误代码：2
// expect stdout: 整数函数名：string::nstofs  错误代码：3
// expect stdout: 整数函数名：string::nstofs  错误代码：4
