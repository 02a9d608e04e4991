// A destination too small for the result grows to exactly the size it needs
// (TMDLen gives the capacity); one large enough keeps its capacity.  The
// handle never changes: the functions return the destination.
// args: --load TmData32W.dll --load TmString32W.dll
i: (:d,s)= d=new(wchar_s, 2), s=new(wchar_s, EndType, "abcdef"),
   (string::wcscpy(d, s)==d) + 10*TMDLen(d) + 1000*string::wcscmp(d, s);
// expect: i: 71
i: (:d,s)= d=new(wchar_s, 20), s=new(wchar_s, EndType, "abcdef"), string::wcscpy(d, s), TMDLen(d);
// expect: i: 20
i: (:d,s)= d=new(Uint8_s, EndType, 120, 0), s=new(Uint8_s, 1), string::strcpys(s, "yz"),
   string::strcat(d, s), TMDLen(d)*10 + string::strlen(d);
// expect: i: 43
i: (:d)= d=new(wchar_s, EndType, "ab"), string::wcscats(d, "cdef"),
   TMDLen(d)*10 + string::wcslen(d);
// expect: i: 76
// The byte versions of the literal functions size the destination by the
// literal's UTF-8 length: "中文" needs 6 bytes and the terminator.
i: (:d)= d=new(Uint8_s, 1), string::strcpys(d, "中文"), TMDLen(d)*10 + string::strlen(d);
// expect: i: 76
// Every element of a full array survives growth, also without a terminator.
i: (:d,s)= d=new(wchar_s, 1), set(d, 0, 120), s=new(wchar_s, EndType, "yz"),
   string::wcscat(d, s), string::wcscmp(d, new(wchar_s, EndType, "xyz"));
// expect: i: 0
