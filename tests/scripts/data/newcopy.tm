// newcopy makes an object of the same kind and shape holding the same
// values; classes are copied deeply, and shared members and cycles keep
// their shape.  The copy's type identifier is the kind code.
// args: --load TmData32W.dll --load TmDataKit.dll
i: get(newcopy(new(int32, 5)));
i: (:a,re,im)= a=newcopy(new(complex, 1, 2)), get(a, &re, &im), re*10+im;
i: (:a,b,n,k,d1,d2)= a=new(int16_s, 2, 3, EndType, 1, 2, 3, 4, 5, 6), b=newcopy(a), n=TMDLen(b, &k, &d1, &d2), n*100000+k*10000+d1*1000+d2*100+get(b, 1, 2);
i: (:a,b)= a=new(wchar_s, EndType, "abc"), b=newcopy(a), set(a, 0, 65), get(b, 0);
// Made with an alias: the copy has the kind as its identifier.
i: (:t,a,b,k)= t=typedef(1, int32), a=new(t, 9), b=newcopy(a), TMDType(b, &k)*100+k*10+get(b);
// expect: i: 5
// expect: i: 12
// expect: i: 622306
// expect: i: 97
// expect: i: -651

// Classes: owned members are copied, the copy is independent.
i: (:c,d,x)= c=new(class, EndType, "x", "y"), x=new(int32, 5), kit::setp(c, 0, x), d=newcopy(c), set(d, "x", 6), get(c, "x")*10+get(d, "x");
i: (:c,d,cap)= c=new(class, 2, 6), d=newcopy(c), TMDLen(d, &cap)*10+cap;
i: (:c,d)= c=new(class), d=newcopy(c), TMDLen(d)*10+(d!=0);
// An owned array is copied with its shape; a scalar reached twice (not a
// class) is copied twice.
i: (:c,d,a)= c=new(class, EndType, "m"), a=new(int16_s, 2, 3, EndType, 1, 2, 3, 4, 5, 6), kit::setp(c, 0, a), d=newcopy(c), set(d, "m", 1, 2, 60), get(c, "m", 1, 2)*100+get(d, "m", 1, 2);
i: (:c,x,d)= c=new(class, 2), x=new(complex, 5, 6), kit::setp(c, 0, x), kit::setp(c, 1, x), d=newcopy(c), (kit::getp(d, 0)!=kit::getp(d, 1))*10+get(kit::getp(d, 1));
// A member that is not owned keeps pointing at the same object.
i: (:c,d,x)= c=new(class, 1), x=new(int32, 5), kit::setp(c, 0, x), kit::seta(c, 0, 0), d=newcopy(c), kit::getp(d, 0)==x;
// A class reached twice is copied once.
i: (:c,s,d)= c=new(class, 2), s=new(class, 1), kit::setp(c, 0, s), kit::setp(c, 1, s), d=newcopy(c), (kit::getp(d, 0)==kit::getp(d, 1))*10+(kit::getp(d, 0)!=s);
// A class that contains itself: the copy contains the copy.
i: (:a,b)= a=new(class, 1), kit::setp(a, 0, a), b=newcopy(a), (kit::getp(b, 0)==b)*10+(b!=a);
// Two classes that own each other.
i: (:a,b,a2,b2)= a=new(class, 1), b=new(class, 1), kit::setp(a, 0, b), kit::setp(b, 0, a), a2=newcopy(a), b2=kit::getp(a2, 0), (kit::getp(b2, 0)==a2)*100+(b2!=b)*10+kit::busy(a)+kit::busy(a2)+kit::busy(b)+kit::busy(b2);
err();
// expect: i: 56
// expect: i: 26
// expect: i: 1
// expect: i: 660
// expect: i: 15
// expect: i: 1
// expect: i: 11
// expect: i: 11
// expect: i: 110
// expect: 0

// A range of members: i to j (j defaults to the last), capacity = length.
i: (:c,d,cap)= c=new(class, 4, 8, EndType, "a", "b", "c", "d"), d=newcopy(c, 1, 2), TMDLen(d, &cap)*10+cap;
i: (:c,d,cap)= c=new(class, 4, 8, EndType, "a", "b", "c", "d"), d=newcopy(c, 1), TMDLen(d, &cap)*10+cap;
i: (:c,d,x)= c=new(class, EndType, "a", "b"), x=new(int32, 3), kit::setp(c, 1, x), d=newcopy(c, 1, 1), get(d, "b")*10+get(c, "b");
// A range that holds the class itself: the copy holds the copy.
i: (:a,b)= a=new(class, 2), kit::setp(a, 0, a), b=newcopy(a, 0, 0), kit::getp(b, 0)==b;
err();
// expect: i: 22
// expect: i: 33
// expect: i: 33
// expect: i: 1
// expect: 0

i: newcopy(new(int32), 0);
err();
i: (:c)= c=new(class, 3), newcopy(c, 2, 1);
err();
i: (:c)= c=new(class, 3), newcopy(c, -1);
err();
i: (:c)= c=new(class, 3), newcopy(c, 0, 3);
err();
i: (:c)= c=new(class, 3), newcopy(c, 0, 1, 2);
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
// expect run error: newcopy：不是一个类指针。
// expect stdout: 函数名：newcopy：指定的子类不存在。  错误代码：1
// expect stdout: 函数名：newcopy：参数太多或者太少。  错误代码：1

// Nothing to copy.
i: newcopy(0);
i: (:a)= a=new(int32), delete(a), newcopy(a);
(:x)= x=err(), x>=0;
// expect: i: 0
// expect: i: 0
// expect: 1
