// Numbers appended as text: integers in decimal (INT64_MIN included),
// reals with 10 significant digits in general form.  The destination
// reserves its length plus 22 (integers) or plus 30 (reals): "n=" (capacity
// 3) needs 24 for "-42", then 27 for "0".
// args: --load TmData32W.dll --load TmString32W.dll
i: (:d,e)= d=new(Uint8_s, 1), string::strcati(d, -9223372036854775807-1), e=new(Uint8_s, 1),
   string::strcpys(e, "-9223372036854775808"), string::strcmp(d, e)*100 + TMDLen(d);
// expect: i: 22
i: (:d)= d=new(wchar_s, EndType, "n="), string::wcscati(d, -42), string::wcscati(d, 0),
   string::wcscmp(d, new(wchar_s, EndType, "n=-420"))*100 + TMDLen(d);
// expect: i: 27
// A destination with room enough keeps its capacity.
i: (:d)= d=new(wchar_s, 40), string::wcscati(d, 7), TMDLen(d);
// expect: i: 40
// Integer formulas pass the real's 8 bytes: these are the bits of 0.1.
i: (:d)= d=new(wchar_s, 1), string::wcscatr(d, 4591870180066957722),
   TMDLen(d)*10 + string::wcscmp(d, new(wchar_s, EndType, "0.1"));
// expect: i: 300
(:d)= d=new(wchar_s, 1), string::wcscatr(d, 0.1), string::wcscmp(d, new(wchar_s, EndType, "0.1"));
// expect: 0
(:d)= d=new(wchar_s, 1), string::wcscatr(d, 1/0), string::wcscatr(d, -1/0), string::wcscatr(d,
   sqrt(-1)),
   string::wcscatr(d, 0/0), string::wcscmp(d, new(wchar_s, EndType, "inf-infnannan"));
// expect: 0
(:d,e)= d=new(Uint8_s, 1), string::strcatr(d, 1e20), string::strcatr(d, 2/3), string::strcatr(d,
   -1234567890123),
   string::strcatr(d, 100), e=new(Uint8_s, 1), string::strcpys(e,
   "1e+200.6666666667-1.23456789e+12100"),
   string::strcmp(d, e);
// expect: 0
