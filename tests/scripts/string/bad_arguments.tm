// Every bad argument gives its code and the result 0; nothing changes.
// Codes: 1 not a string array of the function's kind, 2 not one-dimensional,
// 3 a literal index outside the calling formula's strings (literal versions).
// args: --load TmData32W.dll --load TmString32W.dll
i: string::wcslen(new(wchar_s, 2, 3));
err();
i: string::strlen(new(wchar_s, EndType, "ab"));
err();
i: string::wcscpy(new(wchar_s, 3), 5);
err();
i: string::strcmp(new(Uint8_s, 2, 2), 0);
err();
i: string::strtowcs(new(wchar_s, 3), new(Uint8_s, 3));
err();
i: string::setstrlen(new(int16_s, 3), 5);
err();
i: (:d)= d=new(wchar_s, EndType, "keep"), string::wcscats(d, 100000), string::wcslen(d);
err();
i: string::strcati(new(Uint8_s, 3, 1), 7);
err();
// A deleted array is no string any more.
i: (:d)= d=new(wchar_s, 5), delete(d), string::wcscati(d, 1);
err();
// Real formulas report the same way, with the same error type 1.
string::wcslen(new(wchar_s, 1, 2));
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
// expect: i: 4
// expect: 1
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: 1
// expect: 0
// expect: 1
// expect run error: string::wcslen
// expect stdout: 整数函数名：string::wcslen  错误代码：2
// expect stdout: 整数函数名：string::strlen  错误代码：1
// expect stdout: 整数函数名：string::wcscpy  错误代码：1
// expect stdout: 整数函数名：string::strcmp  错误代码：1
// expect stdout: 整数函数名：string::strtowcs  错误代码：1
// expect stdout: 整数函数名：string::setstrlen  错误代码：1
// expect stdout: 整数函数名：string::wcscats  错误代码：3
// expect stdout: 整数函数名：string::strcati  错误代码：2
// expect stdout: 整数函数名：string::wcscati  错误代码：1
// expect stdout: 整数函数名：string::wcslen  错误代码：2
