// TMDType gives the type identifier and stores the kind; TMDLen gives the
// element count (storing dimensions) or a class's length (storing its
// capacity), 0 for scalars, -1 and a report for anything else.
// args: --load TmData32W.dll
i: (:a,k)= a=new(int8), TMDType(a, &k)*100+k;
i: (:a,k)= a=new(class, 1), TMDType(a, &k)*100+k;
i: (:k)= k=5, TMDType(0, &k)*100+k;
i: (:a,k)= a=new(int32), delete(a), k=5, TMDType(a, &k)*100+k;
// expect: i: -101
// expect: i: -2525
// expect: i: 0
// expect: i: 0

i: TMDLen(new(int8, 1));
i: TMDLen(new(complex));
i: TMDLen(new(int8_s, 7));
i: (:a,k,d1,d2)= a=new(int32_s, 2, 3, EndType, 1, 2, 3, 4, 5, 6), TMDLen(a, &k, &d1, &d2)*1000+k*100+d1*10+d2;
// Only as many slots as given, and only as many as there are dimensions.
i: (:a,k,d1)= a=new(int32_s, 4, 5, 6), TMDLen(a, &k, &d1)*1000+k*100+d1;
i: (:a,k,d1,d2,d3)= a=new(int32_s, 8), d2=7, d3=9, TMDLen(a, &k, &d1, &d2, &d3)*10000+k*1000+d1*100+d2*10+d3;
i: (:c,cap)= c=new(class, 2, 9), TMDLen(c, &cap)*10+cap;
i: (:c)= c=new(class, 3, 4), TMDLen(c);
err();
// expect: i: 0
// expect: i: 0
// expect: i: 7
// expect: i: 6223
// expect: i: 120304
// expect: i: 81879
// expect: i: 29
// expect: i: 3
// expect: 0

i: TMDLen();
err();
i: TMDLen(0);
err();
i: (:a)= a=new(int32), delete(a), TMDLen(a);
err();
// expect: i: -1
// expect: 0
// expect: i: -1
// expect: 1
// expect: i: -1
// expect: 1
// expect run error: TMDLen：未知数据类型或不能获得该数据长度。
