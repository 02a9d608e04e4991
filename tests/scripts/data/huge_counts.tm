// Counts, indices and capacities beyond 32 bits are refused, never cut down
// to their low bits (4294967296 is 2^32, whose low 32 bits are 0).
// args: --load TmData32W.dll
i: (:a)= a=new(int8_s, 2, EndType, 5, 6), get(a, 4294967296);
err();
i: (:a)= a=new(int8_s, 2, EndType, 5, 6), set(a, 4294967296, 9), get(a, 0);
err();
i: (:a)= a=new(int8_s, 2, 2, EndType, 5, 6, 7, 8), get(a, 1, -4294967295);
err();
i: new(int8_s, 4294967297);
err();
i: (:c)= c=new(class, 3), newcopy(c, 4294967296);
err();
i: (:c)= c=new(class, 3), newcopy(c, 0, 4294967296);
err();
// Classes too large to allocate give 0 and a report.
i: new(class, 4294967297);
err();
i: new(class, 1, 4294967297);
err();
i: new(class, 2000000000);
err();
// expect: i: 0
// expect: 1
// expect: i: 5
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
// expect run error: get：数组维数非法。
// expect stdout: 函数名：set：数组维数非法。  错误代码：1
// expect stdout: 函数名：new 多维数组：数组元素个数太多。  错误代码：1
// expect stdout: 函数名：newcopy：指定的子类不存在。  错误代码：1

// The type identifier is the low 32 bits of the first argument, as for
// handles: 4294967290 names int32 (-6).
i: get(new(4294967290, 5));
i: (:a,k)= a=new(4294967290), TMDType(a, &k), k;
// expect: i: 5
// expect: i: -6
