// printfs appends to the text a character array holds, growing the array
// when it is full; after anything else wrote into the array (set, TMDToStr,
// TMDstrcpy, copy, StrToTMD reads only) the text's end is found again.
// args: --load TmData32W.dll
i: (:a)= a=new(wchar_s, 10), printfs("abc", a), printfs("de", a), set(a, 1, 0), printfs("xy", a), printff("\r\n{1,s}", a);
i: (:a)= a=new(wchar_s, 80), printfs("abc", a), TMDToStr(int32, 7, a), printfs("z", a), printff("\r\n{1,s}", a);
i: (:a)= a=new(wchar_s, 10), printfs("abc", a), TMDstrcpy(a, "q", 0), printfs("r", a), printff("\r\n{1,s}", a);
i: (:a)= a=new(wchar_s, 4), printfs("abc", a), copy(a, new(wchar_s, 4, EndType, "k"), 0), printfs("m", a), printff("\r\n{1,s}", a);
i: (:a,x)= a=new(wchar_s, 10), printfs("12", a), StrToTMD(a, int32, &x), printfs("3", a), printff("\r\n{1,s}", a);
i: (:a)= a=new(wchar_s, 3), printfs("abc", a), printfs("defgh", a), printff("\r\n{1,s}", a);
err();
// expect: axy
// expect: i: 5
// expect: 7z
// expect: i: 4
// expect: qr
// expect: i: 4
// expect: km
// expect: i: 4
// expect: 123
// expect: i: 5
// expect: abcdefgh
// expect: i: 10
// expect: 0
