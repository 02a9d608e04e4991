// The forty constants, in integer and in real formulas, with their codes.
// args: --load TmData32W.dll
i: (INULL==0)+(int8==(-1))+(Uint8==(-2))+(int16==(-3))+(Uint16==(-4))+(wchar==(-5))+(int32==(-6))+(Uint32==(-7));
i: (int64==(-8))+(Uint64==(-9))+(real32==(-10))+(real64==(-11))+(complex==(-12))+(int8_s==(-13))+(Uint8_s==(-14))+(int16_s==(-15));
i: (Uint16_s==(-16))+(wchar_s==(-17))+(int32_s==(-18))+(Uint32_s==(-19))+(int64_s==(-20))+(Uint64_s==(-21))+(real32_s==(-22))+(real64_s==(-23));
i: (complex_s==(-24))+(char==(-2))+(char_s==(-14))+(string==(-17))+(int==(-8))+(int_s==(-20))+(pointer==(-9))+(pointer_s==(-21));
i: (real==(-11))+(real_s==(-23))+(class==(-25))+(EndType==(-100))+(NotDelete==0)+(NULL==0)+(true==1)+(false==0);
// expect: i: 8
// expect: i: 8
// expect: i: 8
// expect: i: 8
// expect: i: 8
(INULL==0)+(int8==(-1))+(Uint8==(-2))+(int16==(-3))+(Uint16==(-4))+(wchar==(-5))+(int32==(-6))+(Uint32==(-7));
(int64==(-8))+(Uint64==(-9))+(real32==(-10))+(real64==(-11))+(complex==(-12))+(int8_s==(-13))+(Uint8_s==(-14))+(int16_s==(-15));
(Uint16_s==(-16))+(wchar_s==(-17))+(int32_s==(-18))+(Uint32_s==(-19))+(int64_s==(-20))+(Uint64_s==(-21))+(real32_s==(-22))+(real64_s==(-23));
(complex_s==(-24))+(char==(-2))+(char_s==(-14))+(string==(-17))+(int==(-8))+(int_s==(-20))+(pointer==(-9))+(pointer_s==(-21));
(real==(-11))+(real_s==(-23))+(class==(-25))+(EndType==(-100))+(NotDelete==0)+(NULL==0)+(true==1)+(false==0);
// expect: 8
// expect: 8
// expect: 8
// expect: 8
// expect: 8
i: EndType*1000+class;
// expect: i: -100025
real_s*10+complex_s;
// expect: -254
