// copy(destination, source [, mode]): strict (two arguments or a nonzero
// mode) wants equal type identifiers; loose (mode 0) takes a source of the
// same storage size group and moves the bytes without conversion.
// args: --load TmData32W.dll
i: (:a,b)= a=new(int32, 5), b=new(int32, 0), copy(b, a), get(b);
i: (:a,b)= a=new(int32, 5), b=new(int32, 0), copy(b, a, 7), get(b);
i: (:a,b)= a=new(int32, -5), b=new(Uint32, 0), copy(b, a, 0), get(b);
i: (:a,b)= a=new(real32, 1069547520), b=new(int32, 0), copy(b, a, 0), get(b);
i: (:a,b)= a=new(real64, 4609434218613702656), b=new(Uint64, 0), copy(b, a, 0), get(b);
i: (:a,b)= a=new(wchar, "z"), b=new(int16, 0), copy(b, a, 0), get(b);
i: (:a,b)= a=new(Uint8, 200), b=new(int8, 0), copy(b, a, 0), get(b);
i: (:a,b,re,im)= a=new(complex, 3, 4), b=new(complex), copy(b, a), get(b, &re, &im), re*10+im;
// The same object twice: nothing happens.
i: (:a)= a=new(int32, 9), copy(a, a), get(a);
err();
// expect: i: 5
// expect: i: 5
// expect: i: 4294967291
// expect: i: 1069547520
// expect: i: 4609434218613702656
// expect: i: 122
// expect: i: -56
// expect: i: 34
// expect: i: 9
// expect: 0

// Arrays: equal element counts, then equal dimensions, then the bytes (the
// terminator is left alone).
i: (:a,b)= a=new(int32_s, EndType, 1, 2, 3, 4, 5, 6), b=new(real32_s, 6), copy(b, a, 0), get(b, 5);
i: (:a,b)= a=new(Uint8_s, 2, 2, EndType, 1, 2, 3, 255), b=new(int8_s, 2, 2), copy(b, a, 0), get(b, 1, 1);
i: (:a,b)= a=new(int64_s, EndType, 4609434218613702656), b=new(real64_s, 1), copy(b, a, 0), get(b, 0);
i: (:a,b)= a=new(wchar_s, EndType, "hey"), b=new(Uint16_s, 4), copy(b, a, 0), get(b, 1);
i: (:a,b)= a=new(string, EndType, "hey"), b=new(wchar_s, 4), copy(b, a), get(b, 2);
err();
// expect: i: 6
// expect: i: -1
// expect: i: 4609434218613702656
// expect: i: 101
// expect: i: 121
// expect: 0

// Refusals leave the destination as it was.
i: (:a,b)= a=new(int32, 5), b=new(Uint32, 1), copy(b, a), get(b);
err();
i: (:a,b)= a=new(int32, 5), b=new(int16, 1), copy(b, a, 0), get(b);
err();
i: (:a,b)= a=new(int32, 5), b=new(int32_s, 1), copy(b, a, 0);
err();
i: (:a,b)= a=new(complex, 1, 2), b=new(int64, 1), copy(b, a, 0), get(b);
err();
i: (:a,b)= a=new(wchar_s, 2), b=new(int8_s, 2), copy(b, a, 0);
err();
// expect: i: 1
// expect: 1
// expect: i: 1
// expect: 1
// expect: i: 0
// expect: 1
// expect: i: 1
// expect: 1
// expect: i: 0
// expect: 1
// expect run error: copy：类型不匹配。

i: (:a,b)= a=new(int32_s, 6), b=new(real32_s, 2, 3), copy(b, a, 0);
err();
i: (:a,b)= a=new(int32_s, 2, 3), b=new(int32_s, 3, 2), copy(b, a);
err();
i: (:a,b)= a=new(int32_s, 6), b=new(int32_s, 5, EndType, 1), copy(b, a), get(b, 0);
err();
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: 1
// expect: i: 1
// expect: 1
// expect stdout: 函数名：copy：数组类型不匹配。  错误代码：1
// expect stdout: 函数名：copy：数组长度不匹配。  错误代码：1

// Argument counts and objects that do not exist.
i: (:a)= a=new(int32, 5), copy(a);
err();
i: (:a)= a=new(int32, 5), copy(a, a, 0, 0);
err();
i: (:a)= a=new(int32, 5), copy(a, 0);
err();
i: (:a,b)= a=new(int32, 5), b=new(int32, 6), delete(b), copy(b, a);
err();
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: 1
// expect stdout: 函数名：copy：只能有二个参数或三个参数。  错误代码：1
// expect stdout: 函数名：copy：源操作数或者目的操作数不存在。  错误代码：1
