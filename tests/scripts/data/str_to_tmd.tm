// StrToTMD parses the text of a character array into a scalar object, or
// into result slots as a given kind (doubles as their bits: 2.5 is
// 4612811918334230528).  The text is left unchanged.
// args: --load TmData32W.dll
i: (:s)= s=new(int8), StrToTMD(new(wchar_s, EndType, "300"), s), get(s);
i: (:s)= s=new(Uint8), StrToTMD(new(wchar_s, EndType, "-1"), s), get(s);
i: (:s)= s=new(int16), StrToTMD(new(wchar_s, EndType, "70000"), s), get(s);
i: (:s)= s=new(Uint16), StrToTMD(new(wchar_s, EndType, "-1"), s), get(s);
i: (:s)= s=new(wchar), StrToTMD(new(wchar_s, EndType, "65"), s), get(s);
i: (:s)= s=new(int32), StrToTMD(new(wchar_s, EndType, "99999999999"), s), get(s);
i: (:s)= s=new(int32), StrToTMD(new(wchar_s, EndType, "-99999999999"), s), get(s);
i: (:s)= s=new(Uint32), StrToTMD(new(wchar_s, EndType, "4294967295"), s), get(s);
i: (:s)= s=new(int64), StrToTMD(new(wchar_s, EndType, "-123456789012"), s), get(s);
i: (:s)= s=new(real64), StrToTMD(new(wchar_s, EndType, "2.5"), s), get(s);
i: (:s)= s=new(real32), StrToTMD(new(wchar_s, EndType, "0.5"), s), get(s);
// expect: i: 44
// expect: i: 255
// expect: i: 4464
// expect: i: 65535
// expect: i: 65
// expect: i: 2147483647
// expect: i: -2147483648
// expect: i: 4294967295
// expect: i: -123456789012
// expect: i: 4612811918334230528
// expect: i: 1056964608

// Into slots: signed kinds sign-extended, unsigned ones zero-extended, a
// Uint32 slot sign-extended from its low 32 bits.
i: (:x)= StrToTMD(new(wchar_s, EndType, "200"), int8, &x), x;
i: (:x)= StrToTMD(new(wchar_s, EndType, "200"), Uint8, &x), x;
i: (:x)= StrToTMD(new(wchar_s, EndType, "-1"), Uint16, &x), x;
i: (:x)= StrToTMD(new(wchar_s, EndType, "4294967295"), Uint32, &x), x;
i: (:x)= StrToTMD(new(wchar_s, EndType, "-7"), int64, &x), x;
i: (:x)= StrToTMD(new(wchar_s, EndType, "-0.5"), real64, &x), x;
// expect: i: -56
// expect: i: 200
// expect: i: 65535
// expect: i: -1
// expect: i: -7
// expect: i: -4620693217682128896

// Complex text: the first sign after a digit or "." (not in an exponent)
// splits the parts; "i" ends the imaginary part; a sign alone means 1.
i: (:x,y)= StrToTMD(new(wchar_s, EndType, "3-4i"), complex, &x, &y), x==4613937818241073152 & y==(-4607182418800017408);
i: (:x,y)= StrToTMD(new(wchar_s, EndType, "2+i"), complex, &x, &y), x==4611686018427387904 & y==4607182418800017408;
i: (:x,y)= StrToTMD(new(wchar_s, EndType, "-i"), complex, &x, &y), x==0 & y==(-4616189618054758400);
i: (:x,y)= StrToTMD(new(wchar_s, EndType, "i"), complex, &x, &y), x==0 & y==4607182418800017408;
i: (:x,y)= StrToTMD(new(wchar_s, EndType, "1e-5i"), complex, &x, &y), x==0 & y==4532020583610935537;
i: (:x,y)= StrToTMD(new(wchar_s, EndType, "7"), complex, &x, &y), x==4619567317775286272 & y==0;
i: (:x,y)= StrToTMD(new(wchar_s, EndType, "4I"), complex, &x, &y), x==0 & y==4616189618054758400;
i: (:x,y)= StrToTMD(new(wchar_s, EndType, "-2.5e+3-1.5e-2i"), complex, &x, &y), x==(-4565656063642173440) & y==(-4643571503789171016);
i: (:x,y)= StrToTMD(new(wchar_s, EndType, "+5-i"), complex, &x, &y), x==4617315517961601024 & y==(-4616189618054758400);
i: (:x,y)= StrToTMD(new(wchar_s, EndType, ".5+2i"), complex, &x, &y), x==4602678819172646912 & y==4611686018427387904;
// Into a complex variable; the text stays as it was.
i: (:a,c,re,im)= a=new(wchar_s, EndType, "3-4i"), c=new(complex), StrToTMD(a, c), get(c, &re, &im), (re==4613937818241073152 & im==(-4607182418800017408))*10+(get(a, 1)==45);
err();
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
// expect: i: 11
// expect: 0

i: StrToTMD(new(wchar_s, EndType, "1"));
err();
i: (:x)= StrToTMD(new(int16_s, 3), int32, &x);
err();
i: (:x)= StrToTMD(0, int32, &x);
err();
i: (:x)= StrToTMD(new(wchar_s, EndType, "1"), Uint64, &x);
err();
i: (:s)= s=new(Uint64), StrToTMD(new(wchar_s, EndType, "1"), s);
err();
i: (:x,y)= StrToTMD(new(wchar_s, EndType, "1"), int32, &x, &y);
err();
i: (:x)= StrToTMD(new(wchar_s, EndType, "1"), complex, &x);
err();
i: (:x)= StrToTMD(new(wchar_s, EndType, "1"), int32_s, &x);
err();
i: StrToTMD(new(wchar_s, EndType, "1"), new(class, 1));
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
// expect run error: StrToTMD：至少要有二个参数。
// expect stdout: 函数名：StrToTMD：找不到字符数组。  错误代码：1
// expect stdout: 函数名：StrToTMD：还没有找到将宽字符串转换为64位无符号整数的函数。  错误代码：1
// expect stdout: 函数名：StrToTMD：参数不匹配。  错误代码：1
// expect stdout: 函数名：StrToTMD：未知数据类型或不能将字符串转换为该数据类型。  错误代码：1
