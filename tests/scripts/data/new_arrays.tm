// Arrays: dimensions, then optionally EndType and values in row-major order;
// or EndType first and the values alone.  TMDLen gives the element count.
// args: --load TmData32W.dll
i: (:a)= a=new(int32_s, 2, 3, EndType, 1, 2, 3, 4, 5, 6), get(a, 1, 0);
i: (:a)= a=new(int32_s, 2, 3, EndType, 1, 2, 3, 4, 5, 6), get(a, 0, 2)*10+get(a, 1, 2);
i: (:a)= a=new(int8_s, 2, 2, 2, EndType, 0, 1, 2, 3, 4, 5, 6, 7), get(a, 1, 0, 1);
i: (:a)= a=new(int64_s, 4), TMDLen(a);
i: (:a)= a=new(int64_s, 3, 4, 5), TMDLen(a);
// Missing values leave the rest alone, surplus values are ignored.
i: (:a)= a=new(int16_s, 4, EndType, 9, 8), get(a, 0)*10+get(a, 1);
i: (:a)= a=new(int16_s, 2, EndType, 9, 8, 7, 6), TMDLen(a)*100+get(a, 0)*10+get(a, 1);
// EndType first: one dimension, as long as the values.
i: (:a)= a=new(Uint8_s, EndType, 250, 251, 252), TMDLen(a)*1000+get(a, 2);
i: (:a)= a=new(int8_s, EndType, 255), get(a, 0);
// Elements are stored by size: the low bytes of each value.
i: (:a)= a=new(Uint16_s, EndType, 65537, -1), get(a, 0)*100000+get(a, 1);
i: (:a)= a=new(int32_s, EndType, 4294967295, 2147483648), get(a, 0)*10000000000+get(a, 1);
i: (:a)= a=new(Uint32_s, EndType, -1), get(a, 0);
i: (:a)= a=new(Uint64_s, EndType, -1), get(a, 0);
i: (:a)= a=new(real32_s, EndType, 1069547520), get(a, 0);
// complex_s: values in (real, imaginary) pairs.
i: (:a,re,im)= a=new(complex_s, EndType, 1, 2, 3, 4), get(a, 1, &re, &im), TMDLen(a)*100+re*10+im;
i: (:a,re,im)= a=new(complex_s, 2, 2, EndType, 1, 2, 3, 4, 5, 6, 7, 8), get(a, 1, 1, &re, &im), re*10+im;
// The synonyms name the same array kinds.
i: (:a,k)= a=new(char_s, 2), TMDType(a, &k), k;
i: (:a,k)= a=new(int_s, 2), TMDType(a, &k), k;
i: (:a,k)= a=new(pointer_s, 2), TMDType(a, &k), k;
i: (:a,k)= a=new(real_s, 2), TMDType(a, &k), k;
i: (:a,k)= a=new(string, 2), TMDType(a, &k), k;
err();
// expect: i: 4
// expect: i: 36
// expect: i: 5
// expect: i: 4
// expect: i: 60
// expect: i: 98
// expect: i: 298
// expect: i: 3252
// expect: i: -1
// expect: i: 165535
// expect: i: -12147483648
// expect: i: 4294967295
// expect: i: -1
// expect: i: 1069547520
// expect: i: 234
// expect: i: 78
// expect: i: -14
// expect: i: -20
// expect: i: -21
// expect: i: -23
// expect: i: -17
// expect: 0
