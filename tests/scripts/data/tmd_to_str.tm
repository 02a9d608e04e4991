// TMDToStr writes a value as text into a character array of at least 80
// elements: a scalar object's value, or a value given as a kind and slots.
// In integer formulas doubles travel as their bits (2.5 is
// 4612811918334230528).  same(a, b) compares two terminated texts.
// args: --load TmData32W.dll
i: same(a,b:k)= k=0, while(get(a, k)==get(b, k) & get(a, k)!=0, k++), get(a, k)==get(b, k);
// Variables of every scalar kind.
i: (:a)= a=new(wchar_s, 80), TMDToStr(new(real64, 4612811918334230528), a), same(a, new(wchar_s, EndType, "2.5"));
i: (:a)= a=new(wchar_s, 80), TMDToStr(new(real64, 4906019910204099648), a), same(a, new(wchar_s, EndType, "1e+20"));
i: (:a)= a=new(wchar_s, 80), TMDToStr(new(real64, 4861130398305394688), a), same(a, new(wchar_s, EndType, "100000000000000000"));
i: (:a)= a=new(wchar_s, 80), TMDToStr(new(real64, 4599676419421066581), a), same(a, new(wchar_s, EndType, "0.333333333333333315"));
i: (:a)= a=new(wchar_s, 80), TMDToStr(new(real32, dtof(4591870180066957722)), a), same(a, new(wchar_s, EndType, "0.100000001"));
i: (:a)= a=new(wchar_s, 80), TMDToStr(new(int64, -123456789012), a), same(a, new(wchar_s, EndType, "-123456789012"));
i: (:a)= a=new(wchar_s, 80), TMDToStr(new(Uint64, -1), a), same(a, new(wchar_s, EndType, "18446744073709551615"));
i: (:a)= a=new(wchar_s, 80), TMDToStr(new(int32, 4294967295), a), same(a, new(wchar_s, EndType, "-1"));
i: (:a)= a=new(wchar_s, 80), TMDToStr(new(Uint32, -1), a), same(a, new(wchar_s, EndType, "4294967295"));
i: (:a)= a=new(wchar_s, 80), TMDToStr(new(int16, 65535), a), same(a, new(wchar_s, EndType, "-1"));
i: (:a)= a=new(wchar_s, 80), TMDToStr(new(Uint16, -1), a), same(a, new(wchar_s, EndType, "65535"));
i: (:a)= a=new(wchar_s, 80), TMDToStr(new(int8, 255), a), same(a, new(wchar_s, EndType, "-1"));
i: (:a)= a=new(wchar_s, 80), TMDToStr(new(Uint8, -1), a), same(a, new(wchar_s, EndType, "255"));
i: (:a)= a=new(wchar_s, 80), TMDToStr(new(wchar, "中"), a), same(a, new(wchar_s, EndType, "中"));
i: (:a)= a=new(wchar_s, 80), TMDToStr(new(complex, 4613937818241073152, 4616189618054758400), a), same(a, new(wchar_s, EndType, "3+4i"));
// expect: i: 1
// expect: i: 1
// expect: i: 1
// expect: i: 1
// expect: i: 1
// expect: i: 1
// expect: i: 1
// expect: i: 1
// expect: i: 1
// expect: i: 1
// expect: i: 1
// expect: i: 1
// expect: i: 1
// expect: i: 1
// expect: i: 1

// A kind and the value's slots.
i: (:a)= a=new(wchar_s, 80), TMDToStr(int8, 200, a), same(a, new(wchar_s, EndType, "-56"));
i: (:a)= a=new(wchar_s, 80), TMDToStr(Uint32, -2, a), same(a, new(wchar_s, EndType, "4294967294"));
i: (:a)= a=new(wchar_s, 80), TMDToStr(real64, -4620693217682128896, a), same(a, new(wchar_s, EndType, "-0.5"));
i: (:a)= a=new(wchar_s, 80), TMDToStr(wchar, 65, a), same(a, new(wchar_s, EndType, "A"));
i: (:a)= a=new(wchar_s, 80), TMDToStr(complex, 4607182418800017408, -4611686018427387904, a), same(a, new(wchar_s, EndType, "1-2i"));
i: (:a)= a=new(wchar_s, 80), TMDToStr(complex, 4607182418800017408, 0, a), same(a, new(wchar_s, EndType, "1"));
i: (:a)= a=new(wchar_s, 80), TMDToStr(complex, 4602678819172646912, 4611686018427387904, a), same(a, new(wchar_s, EndType, "0.5+2i"));
i: (:a)= a=new(wchar_s, 80), TMDToStr(complex, 0, -4616189618054758400, a), same(a, new(wchar_s, EndType, "0-1i"));
// The text starts at the array's start and ends with a terminator.
i: (:a)= a=new(wchar_s, 80, EndType, "xxxxxxxxxx"), TMDToStr(int32, 7, a), get(a, 0)*1000+get(a, 1);
err();
// expect: i: 1
// expect: i: 1
// expect: i: 1
// expect: i: 1
// expect: i: 1
// expect: i: 1
// expect: i: 1
// expect: i: 1
// expect: i: 55000
// expect: 0

i: (:a)= a=new(wchar_s, 80), TMDToStr(a);
err();
i: TMDToStr(int32, 1, new(int32_s, 80));
err();
i: TMDToStr(int32, 1, 0);
err();
i: TMDToStr(int32, 1, new(wchar_s, 79));
err();
i: TMDToStr(int32, 1, 2, new(wchar_s, 80));
err();
i: TMDToStr(complex, 1, new(wchar_s, 80));
err();
i: TMDToStr(int32_s, 1, new(wchar_s, 80));
err();
i: TMDToStr(new(class, 1), new(wchar_s, 80));
err();
i: TMDToStr(-300, 1, new(wchar_s, 80));
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
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: 1
// expect run error: TMDToStr：至少要有二个参数。
// expect stdout: 函数名：TMDToStr：找不到字符数组。  错误代码：1
// expect stdout: 函数名：TMDToStr：字符数组太小，不能少于80个字符。  错误代码：1
// expect stdout: 函数名：TMDToStr：参数不匹配。  错误代码：1
// expect stdout: 函数名：TMDToStr：未知数据类型或不能转换该类型数据的值为字符串。  错误代码：1
