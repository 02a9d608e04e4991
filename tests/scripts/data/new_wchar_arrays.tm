// Character arrays take one string literal: truncated to the capacity minus
// one and always terminated; EndType first sizes the array to the string.
// TMDToStr of the wchar kind turns one code into text, so the arrays print.
// args: --load TmData32W.dll
i: (:a)= a=new(wchar_s, 5, EndType, "abcdefgh"), get(a, 3)*1000+get(a, 4);
i: (:a)= a=new(wchar_s, EndType, "abc"), TMDLen(a)*1000+get(a, 3);
i: (:a)= a=new(string, EndType, "abc"), get(a, 0)*1000+get(a, 2);
i: (:a)= a=new(wchar_s, 2, 3, EndType, "abcdefgh"), get(a, 1, 1)*1000+get(a, 1, 2);
i: (:a)= a=new(wchar_s, EndType, ""), TMDLen(a)*1000+get(a, 0);
i: (:a)= a=new(wchar_s, 1, EndType, "xyz"), get(a, 0);
// Elements are UTF-16 code units: two for a character beyond the basic plane.
i: (:a)= a=new(wchar_s, EndType, "中文"), TMDLen(a)*100000+get(a, 0);
i: (:a)= a=new(wchar_s, EndType, "😀"), TMDLen(a)*100000+get(a, 1);
// expect: i: 100000
// expect: i: 4000
// expect: i: 97099
// expect: i: 101000
// expect: i: 1000
// expect: i: 0
// expect: i: 320013
// expect: i: 356832
