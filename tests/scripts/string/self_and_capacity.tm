// A string copied or appended to itself stays as it is.  setstrlen sets the
// capacity: shrinking keeps n - 1 characters, growing keeps them all, the
// same capacity changes nothing, and below 1 is refused (code 3) without a
// change (codes 1 and 2 as everywhere: bad_arguments.tm).
// args: --load TmData32W.dll --load TmString32W.dll
i: (:d)= d=new(wchar_s, EndType, "ab"), (string::wcscat(d, d)==d) + 10*string::wcslen(d);
// expect: i: 21
i: (:d)= d=new(Uint8_s, 1), string::strcpys(d, "ab"), string::strcat(d, d), string::strcpy(d, d),
   string::strlen(d);
// expect: i: 2
i: (:d)= d=new(wchar_s, EndType, "abcdef"), string::setstrlen(d, 3)==d,
   TMDLen(d)*10 + string::wcscmp(d, new(wchar_s, EndType, "ab"));
// expect: i: 30
i: (:d)= d=new(wchar_s, EndType, "abc"), string::setstrlen(d, 10),
   TMDLen(d)*10 + string::wcscmp(d, new(wchar_s, EndType, "abc"));
// expect: i: 100
i: (:d)= d=new(Uint8_s, 5), string::strcpys(d, "abcd"), string::setstrlen(d, 5), string::strlen(d);
// expect: i: 4
i: (:d,r)= d=new(wchar_s, EndType, "abc"), r=string::setstrlen(d, 0),
   r + 10*TMDLen(d) + 100*string::wcslen(d);
// expect: i: 340
err();
// expect: 1
// A capacity the data library cannot allocate, or beyond 32 bits: refused
// the same way, the string unchanged.
i: (:d,r)= d=new(wchar_s, EndType, "abc"), r=string::setstrlen(d, 2147483647),
   r + 10*TMDLen(d) + 100*string::wcslen(d);
// expect: i: 340
err();
// expect: 1
i: (:d,r)= d=new(wchar_s, EndType, "abc"), r=string::setstrlen(d, 4294967300),
   r + 10*TMDLen(d) + 100*string::wcslen(d);
// expect: i: 340
err();
// expect: 1
// expect run error: string::setstrlen
// expect stdout: 整数函数名：string::setstrlen  错误代码：3
