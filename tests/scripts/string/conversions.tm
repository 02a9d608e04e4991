// Byte strings are UTF-8.  Conversions give the elements written with the
// terminator and size the destination exactly.  Nothing is lost or dropped:
// a character outside the basic plane becomes a surrogate pair and back,
// and an unpaired surrogate or a byte that starts no valid UTF-8 sequence
// becomes U+FFFD (EF BF BD).
// args: --load TmData32W.dll --load TmString32W.dll
i: (:w,b)= w=new(wchar_s, EndType, "中文"), b=new(Uint8_s, 1), string::wcstostr(w, b)*10 + TMDLen(b);
// expect: i: 77
i: (:w,b,back)= w=new(wchar_s, EndType, "中文"), b=new(Uint8_s, 1), string::wcstostr(w, b),
   back=new(wchar_s, 1), string::strtowcs(b, back)*10 + string::wcscmp(back, w);
// expect: i: 30
// U+1F600: a surrogate pair, 4 bytes of UTF-8.
i: (:w,b,back)= w=new(wchar_s, EndType, "\xD83D\xDE00!"), b=new(Uint8_s, 1),
   string::wcstostr(w, b)*1000 + (back=new(wchar_s, 1), string::strtowcs(b, back))*10
   + string::wcscmp(back, w);
// expect: i: 6040
i: (:w,b)= w=new(wchar_s, EndType, "a\xD800b"), b=new(Uint8_s, 1), string::wcstostr(w, b);
// expect: i: 6
i: (:w,b,back)= w=new(wchar_s, EndType, "\xDC00"), b=new(Uint8_s, 1), string::wcstostr(w, b),
   back=new(wchar_s, 1), string::strtowcs(b, back), string::wcscmp(back, new(wchar_s, EndType,
   "\xFFFD"));
// expect: i: 0
// FF, a lone continuation byte 80, an overlong C0 AF and a cut-short E4 B8:
// each invalid byte is one U+FFFD, the valid "A" stays.
i: (:b,w)= b=new(Uint8_s, EndType, 255, 128, 65, 192, 175, 228, 184, 0), w=new(wchar_s, 1),
   string::strtowcs(b, w)*10 + string::wcscmp(w, new(wchar_s, EndType,
   "\xFFFD\xFFFDA\xFFFD\xFFFD\xFFFD\xFFFD"));
// expect: i: 80
// A destination with room keeps its capacity.
i: (:w,b)= w=new(wchar_s, EndType, "ab"), b=new(Uint8_s, 10), string::wcstostr(w,
   b)*100 + TMDLen(b);
// expect: i: 310
