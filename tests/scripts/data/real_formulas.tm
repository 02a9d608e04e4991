// In real formulas slots are numbers: kind codes, dimensions, indices and
// values stored into integer kinds are truncated, real32 rounds to single
// precision, real64 and complex keep the double.  get gives an element's
// value as a number.  Handles travel as bit patterns.
// args: --load TmData32W.dll
(:a,k,s)= a=new(real64_s, 10), k=0, while(k<10, set(a, k, k*1.5), k++), s=0, k=0, while(k<10, s=s+get(a, k), k++), s;
// expect: 67.5

get(new(int32, 7));
get(new(int32, -7.9));
get(new(Uint8, 300.5));
get(new(int8, 255));
get(new(Uint32, -1));
get(new(real32, 0.1));
get(new(real64, 0.1));
get(new(real, -2.5e300));
get(new(int64, 1e15));
// expect: 7
// expect: -7
// expect: 44
// expect: -1
// expect: 4294967295
// expect: 0.1000000014901161
// expect: 0.1
// expect: -2.5e+300
// expect: 1000000000000000

// Arrays with dimensions, EndType and values given as numbers.
(:a)= a=new(int32_s, 2, 3, EndType, 1, 2, 3, 4, 5, 6), get(a, 1, 0);
(:a)= a=new(int32_s, 2.9, 3.2), set(a, 1, 2.99, 5), get(a, 1, 2);
(:a)= a=new(real32_s, EndType, 0.5, 0.25), get(a, 0)+get(a, 1);
(:a,x)= a=new(real64_s, 2, 3), set(a, 1, 2, 6.25), get(a, 1, 2, &x), x;
(:a,x)= a=new(Uint16_s, 2), set(a, 1.9, 65537), get(a, 1, &x), x;
(:a,re,im)= a=new(complex_s, EndType, 1.5, -2, 3.25, 4), get(a, 1, &re, &im), re+im/100;
(:c,re,im)= c=new(complex, 1.5, -2), get(c, &re, &im), re*10+im;
(:c)= c=new(complex), set(c, 0.5, 0.75), get(c);
// expect: 4
// expect: 5
// expect: 0.75
// expect: 6.25
// expect: 1
// expect: 3.29
// expect: 13
// expect: 0.5

// Handles: kept as bit patterns, and accepted as the numbers associated
// gives; an int64 holding a handle gives it back as a number.
(:h,g)= h=new(int32, 41), g=h, set(g, 42), get(h);
(:h)= h=new(int32, 43), get(associated(h));
(:h,p)= h=new(int32, 44), p=new(int64, h), get(get(p));
(:h)= h=new(int32, 46), delete(h);
(:h)= h=new(int32, 47), null(h);
(:h)= h=new(int32, 48), null(&h), h;
(:h)= h=new(int32, 49), associated(h)!=0;
err();
// expect: 42
// expect: 43
// expect: 44
// expect: 0
// expect: 0
// expect: 0
// expect: 1
// expect: 0

// newcopy's member range is truncated too.
(:c)= c=new(class, 3), newcopy(c, 0.9, 1.9)!=0;
(:c)= c=new(class, 3), newcopy(c, 2.5, 1.2);
err();
// expect: 1
// expect: 0
// expect: 1

// A real copy's mode is a number: anything that truncates to 0 is loose.
(:a,b)= a=new(int32, 5), b=new(Uint32, 0), copy(b, a, 0.9), get(b);
(:a,b)= a=new(int32, 5), b=new(Uint32, 0), copy(b, a, 1.5), get(b);
err();
// expect: 5
// expect: 0
// expect: 1
// expect run error: newcopy：指定的子类不存在。
// expect stdout: 函数名：copy：类型不匹配。  错误代码：1

// NaN and infinities as counts and indices name nothing usable.
new(real64_s, 0/0);
err();
new(real64_s, 1/0);
err();
new(real64_s, -1/0);
err();
(:a)= a=new(real64_s, 3, EndType, 1, 2, 3), get(a, 1e300);
err();
// expect: 0
// expect: 1
// expect: 0
// expect: 1
// expect: 0
// expect: 1
// expect: 0
// expect: 1
// expect stdout: 函数名：new 多维数组：数组维数小于1。  错误代码：1
// expect stdout: 函数名：new 多维数组：数组元素个数太多。  错误代码：1
// expect stdout: 函数名：get：数组维数非法。  错误代码：1
