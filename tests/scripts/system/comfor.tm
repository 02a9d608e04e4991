// sys::comfor compiles a literal of the calling formula into a formula
// object; the formula is then found by name ("HFor") and called through
// sys::call.  Error positions come back by reference.
// args: --load TmData32W.dll --load TmSystem32W.dll
// One formula object for the whole program, in a module variable.
i: :obj(::o)= which(o==0, o=new(sys::tmfor), o);
i: (:a,b)= sys::comfor(obj(), "g(x)=x*x+1", 2, 1, &a, &b);
// expect: i: 0
r: (:r)= sys::call(2, HFor("g"), 3, &r), r;
// expect: 10
// The handle an object holds is the one "HFor" gives; 0 for anything else.
i: sys::testtmfor(obj()) == HFor("g", 2);
// expect: i: 1
i: sys::testtmfor(5) + sys::testtmfor(new(wchar_s, 3)) + sys::testtmfor(new(sys::tmfor));
// expect: i: 0
// Compiling again into the object deletes the old formula first, so the
// name is free again; a failed compile deletes it too.
i: (:a,b)= sys::comfor(obj(), "g(x)=x+100", 2, 1, &a, &b);
// expect: i: 0
r: (:r)= sys::call(2, HFor("g"), 1, &r), r;
// expect: 101
i: (:a,b,rc)= rc=sys::comfor(obj(), "g(x)=x+", 2, 1, &a, &b), rc*10000 + a*100 + b;
// expect: i: 230606
i: HFor("g", 2) + sys::testtmfor(obj());
// expect: i: 0
// Integer and complex formulas too.
i: (:a,b)= sys::comfor(obj(), "k(x,y)=x*y", 1, 1, &a, &b);
// expect: i: 0
i: (:r)= sys::call(1, HFor("k"), 6, 7, &r), r;
// expect: i: 42
// Codes: 1 no formula object, 2 text outside the caller's strings, 3 type
// not 1 to 3.
i: (:a,b)= sys::comfor(new(wchar_s, 2), "f(x)=x", 2, 1, &a, &b);
err();
i: (:a,b)= sys::comfor(obj(), 100000, 2, 1, &a, &b);
err();
i: (:a,b)= sys::comfor(obj(), -1, 2, 1, &a, &b);
err();
i: (:a,b)= sys::comfor(obj(), "f(x)=x", 4, 1, &a, &b);
err();
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: 1
// expect run error: sys::comfor
// expect stdout: 整数函数名：sys::comfor  错误代码：1
// expect stdout: 整数函数名：sys::comfor  错误代码：2
// expect stdout: 整数函数名：sys::comfor  错误代码：3
