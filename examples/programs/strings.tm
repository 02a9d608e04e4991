// Strings with the string library: byte strings (Uint8_s, UTF-8) and wide
// strings (wchar_s) made with the data library's `new`, edited with the
// string:: functions and printed with printff.  A destination that is too
// small grows by itself; its handle stays the same.  The value of each
// formula, printed after its text, is printff's count of characters.
// args: --load TmData32W.dll --load TmString32W.dll

// A greeting built piece by piece in a one-element array.
i: (:s)= s=new(wchar_s, 1),
   string::wcscpys(s, "Tamrix "), string::wcscati(s, 9), string::wcscats(s, " says hello"),
   printff("\n{1,s} ({2,i} characters)", s, string::wcslen(s));
// expect: Tamrix 9 says hello (19 characters)
// expect: i: 36

// Numbers as text: integers in decimal, reals with 10 significant digits.
(:s)= s=new(wchar_s, 1),
   string::wcscats(s, "pi = "), string::wcscatr(s, 4*atan(1)), string::wcscats(s, ", 1/3 = "),
   string::wcscatr(s, 1/3), printff("\n{1,s}", s);
// expect: pi = 3.141592654, 1/3 = 0.3333333333
// expect: 37

// Cutting a string: setstrlen sets the capacity, the content follows.
i: (:s)= s=new(wchar_s, EndType, "abcdefgh"), string::setstrlen(s, 4), printff("\n{1,s}", s);
// expect: abc
// expect: i: 4

// Wide strings to UTF-8 and back: "中文" is 6 bytes and a terminator.
i: (:w,b,back)= w=new(wchar_s, EndType, "中文"), b=new(Uint8_s, 1),
   printff("\n{1,i} bytes, ", string::wcstostr(w, b)),
   back=new(wchar_s, 1), string::strtowcs(b, back),
   printff("back: {1,s}, same: {2,i}", back, string::wcscmp(w, back)==0);
// expect: 7 bytes, back: 中文, same: 1
// expect: i: 17

// Sorting three words by comparing them.
i: (:a,b,c,t)= a=new(wchar_s, EndType, "pear"), b=new(wchar_s, EndType, "apple"),
   c=new(wchar_s, EndType, "fig"),
   if(string::wcscmp(a, b)>0, (t=a, a=b, b=t)),
   if(string::wcscmp(b, c)>0, (t=b, b=c, c=t)),
   if(string::wcscmp(a, b)>0, (t=a, a=b, b=t)),
   printff("\n{1,s} {2,s} {3,s}", a, b, c);
// expect: apple fig pear
// expect: i: 15
