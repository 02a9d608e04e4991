// Real formulas pass handles as bit patterns, or as the integral number a
// handle becomes when an integer array hands it over; counts come back as
// numbers and the destination as the same bit pattern.
// args: --load TmData32W.dll --load TmString32W.dll
(:d,s)= d=new(wchar_s, 2), s=new(wchar_s, EndType, "abcdef"), string::wcscpy(d, s)==d,
   string::wcslen(d);
// expect: 6
(:d)= d=new(wchar_s, EndType, "x="), string::wcscati(d, -7.9), string::wcscmp(d, new(wchar_s,
   EndType, "x=-7"));
// expect: 0
(:d,b)= d=new(wchar_s, EndType, "中文"), b=new(Uint8_s, 1), string::wcstostr(d, b);
// expect: 7
(:d)= d=new(wchar_s, EndType, "abcdef"), string::setstrlen(d, 3.9), string::wcslen(d);
// expect: 2
// A handle kept in an int64 array reaches a real formula as a number.
i: :keep(:a)= a=new(int64_s, 1), set(a, 0, new(wchar_s, EndType, "kept")), a;
(:a)= a=keep(), string::wcslen(get(a, 0));
// expect: 4
(:d)= d=new(wchar_s, EndType, "ab"), string::wcscat(d, 0.5);
// expect: 0
err();
// expect: 1
// expect run error: string::wcscat
// expect stdout: 整数函数名：string::wcscat  错误代码：1
