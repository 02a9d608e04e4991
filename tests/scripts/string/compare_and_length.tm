// Comparison goes element by element as unsigned values: bytes above 0x7F
// and wide characters above 0x7FFF sort after the smaller ones.
// args: --load TmData32W.dll --load TmString32W.dll
i: string::wcscmp(new(wchar_s, EndType, "abc"), new(wchar_s, EndType, "abd"));
// expect: i: -1
i: string::wcscmp(new(wchar_s, EndType, "abd"), new(wchar_s, EndType, "abc"));
// expect: i: 1
i: string::wcscmp(new(wchar_s, EndType, ""), new(wchar_s, EndType, ""));
// expect: i: 0
i: string::wcscmp(new(wchar_s, EndType, "ab"), new(wchar_s, EndType, "abc"));
// expect: i: -1
i: string::wcscmp(new(wchar_s, EndType, "\x7FFF"), new(wchar_s, EndType, "\x8000"));
// expect: i: -1
i: string::wcscmp(new(wchar_s, EndType, "\xFFFF"), new(wchar_s, EndType, "a"));
// expect: i: 1
// "é" is C3 A9 in UTF-8: above "z" (7A) as unsigned bytes.
i: (:a,b)= a=new(Uint8_s, 1), b=new(Uint8_s, 1), string::strcpys(a, "é"), string::strcpys(b, "z"),
   string::strcmp(a, b);
// expect: i: 1
i: (:a,b)= a=new(Uint8_s, 1), b=new(Uint8_s, 1), string::strcmp(a, b);
// expect: i: 0
i: (:a)= a=new(Uint8_s, 1), string::strcpys(a, "héllo"), string::strlen(a);
// expect: i: 6
i: string::wcslen(new(wchar_s, EndType, "héllo"));
// expect: i: 5
i: string::wcslen(new(wchar_s, 10));
// expect: i: 0
