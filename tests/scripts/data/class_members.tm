// get and set follow member names through classes to the objects the
// members hold (kit::setp links a member to an object).
// args: --load TmData32W.dll --load TmDataKit.dll
i: (:c,x)= c=new(class, EndType, "x", "y"), x=new(int32, 5), kit::setp(c, 1, x), get(c, "y");
i: (:c,x)= c=new(class, EndType, "x", "y"), x=new(int32, 5), kit::setp(c, 1, x), set(c, "y", 6), get(x);
// Names through nested classes, then indices of an array at the end.
i: (:o,in,a)= o=new(class, EndType, "inner"), in=new(class, EndType, "arr"), a=new(int16_s, 2, 3, EndType, 1, 2, 3, 4, 5, 6), kit::setp(o, 0, in), kit::setp(in, 0, a), get(o, "inner", "arr", 1, 2);
i: (:o,in,a,r)= o=new(class, EndType, "inner"), in=new(class, EndType, "arr"), a=new(int16_s, 2, 3), kit::setp(o, 0, in), kit::setp(in, 0, a), set(o, "inner", "arr", 0, 1, 9), get(a, 0, 1, &r), r;
// A result slot after the path.
i: (:c,x,r)= c=new(class, EndType, "v"), x=new(Uint8, 255), kit::setp(c, 0, x), get(c, "v", &r), r;
// The string argument is restored after the walk: the same call works twice.
i: (:c,x,k,s)= c=new(class, EndType, "v"), x=new(int32, 21), kit::setp(c, 0, x), k=0, s=0, while(k<2, s=s+get(c, "v"), k++), s;
// Members without a name are skipped; names compare exactly.
i: (:c,x)= c=new(class, 3, EndType, 0, "v", "V"), x=new(int32, 3), kit::setp(c, 2, x), get(c, "V");
err();
// expect: i: 5
// expect: i: 6
// expect: i: 6
// expect: i: 9
// expect: i: 255
// expect: i: 42
// expect: i: 3
// expect: 0

i: (:c)= c=new(class, EndType, "x"), get(c);
err();
i: (:c)= c=new(class, EndType, "x"), get(c, 5);
err();
i: (:c)= c=new(class, EndType, "x"), set(c, "x");
err();
i: (:c)= c=new(class, EndType, "x"), set(c, 5, 1);
err();
i: (:c)= c=new(class, EndType, "x"), set(c);
err();
i: (:c)= c=new(class, EndType, "first"), set(c, "second", 1);
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
// expect run error: get class：缺少类成员标识。
// expect stdout: 函数名：get class：类成员名要用字符串标识。  错误代码：1
// expect stdout: 函数名：set class：没有为类成员设置参数。  错误代码：1
// expect stdout: 函数名：set class：类成员名要用字符串标识。  错误代码：1
// expect stdout: 函数名：set class：缺少类成员标识。  错误代码：1
// expect stdout: 函数名：set class：类“first”中没有类成员：second  错误代码：1
