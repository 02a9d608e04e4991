// copy between classes: equal lengths, names and attributes member by
// member; members that hold objects are copied in the same mode, members
// that hold none are copied as numbers; cycles are refused.
// args: --load TmData32W.dll --load TmDataKit.dll
i: (:a,b,x,y)= a=new(class, EndType, "x", "n"), b=new(class, EndType, "x", "n"), x=new(int32, 5), y=new(int32, 0), kit::setp(a, 0, x), kit::setp(b, 0, y), kit::setp(a, 1, 99), copy(b, a), get(y)*1000+kit::getp(b, 1);
// Loose mode reaches the members.
i: (:a,b,x,y)= a=new(class, 1), b=new(class, 1), x=new(int32, -1), y=new(Uint32, 0), kit::setp(a, 0, x), kit::setp(b, 0, y), copy(b, a, 0), get(y);
// Member arrays of another size group move their bytes in loose mode.
i: (:c,d,a,b)= c=new(class, 1), d=new(class, 1), a=new(int16_s, 6, EndType, 7), b=new(Uint16_s, 6), kit::setp(c, 0, a), kit::setp(d, 0, b), copy(d, c, 0), get(b, 0);
// The same class twice: nothing happens.
i: (:a)= a=new(class, 1), kit::setp(a, 0, 5), copy(a, a), kit::getp(a, 0);
err();
// expect: i: 5099
// expect: i: 4294967295
// expect: i: 7
// expect: i: 5
// expect: 0

i: (:a,b,x,y)= a=new(class, 1), b=new(class, 1), x=new(int32, 5), y=new(Uint32, 0), kit::setp(a, 0, x), kit::setp(b, 0, y), copy(b, a), get(y);
err();
i: (:a,b)= a=new(class, 2), b=new(class, 3), copy(b, a);
err();
i: (:a,b)= a=new(class, EndType, "x"), b=new(class, EndType, "y"), copy(b, a);
err();
i: (:a,b)= a=new(class, EndType, "x"), b=new(class, 1), copy(b, a);
err();
i: (:a,b)= a=new(class, 1), b=new(class, 1), kit::seta(b, 0, 0), copy(b, a);
err();
i: (:a,b)= a=new(class, 1), b=new(class, 1), kit::setp(a, 0, new(int8)), copy(b, a);
err();
i: (:a,b)= a=new(class, 1), b=new(class, 1), kit::setp(b, 0, new(int8)), copy(b, a);
err();
// Classes that contain themselves cannot be copied onto each other; the
// busy flags are cleared after the refusal.
i: (:a,b)= a=new(class, 1), b=new(class, 1), kit::setp(a, 0, a), kit::setp(b, 0, b), copy(b, a), kit::busy(a)*10+kit::busy(b);
err();
i: (:a,x)= a=new(class, 1), x=new(int32), copy(a, x, 0);
err();
// Member arrays: strict copies want equal kinds, then equal shapes.
i: (:c,d,a,b)= c=new(class, 1), d=new(class, 1), a=new(int16_s, 6), b=new(Uint16_s, 6), kit::setp(c, 0, a), kit::setp(d, 0, b), copy(d, c);
err();
i: (:c,d,a,b)= c=new(class, 1), d=new(class, 1), a=new(int16_s, 2, 3), b=new(int16_s, 3, 2), kit::setp(c, 0, a), kit::setp(d, 0, b), copy(d, c);
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
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: 1
// expect run error: copy：类型不匹配。
// expect stdout: 函数名：copy：数组类型不匹配。  错误代码：1
// expect stdout: 函数名：copy：类成员不匹配。  错误代码：1
// expect stdout: 函数名：copy：同名类成员的一个指针有效而另一个指针无效。  错误代码：1
// expect stdout: 函数名：copy：类层次结构不相同或者试图复制循环类。  错误代码：1
