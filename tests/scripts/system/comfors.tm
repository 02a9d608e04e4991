// sys::comfors compiles the text of a string object.  Codes: 1 no formula
// object or no one-dimensional wide string, 2 type not 1 to 3.
// args: --load TmData32W.dll --load TmSystem32W.dll
// One formula object for the whole program, in a module variable.
i: :obj(::o)= which(o==0, o=new(sys::tmfor), o);
i: (:a,b)= sys::comfors(obj(), new(wchar_s, EndType, "cube(x)=x*x*x"), 2, 1, &a, &b);
// expect: i: 0
r: (:r)= sys::call(2, HFor("cube"), 3, &r), r;
// expect: 27
i: (:a,b,rc)= rc=sys::comfors(obj(), new(wchar_s, EndType, "(1+"), 2, 1, &a, &b),
   rc*10000 + a*100 + b;
// expect: i: 20002
i: (:a,b)= sys::comfors(5, new(wchar_s, EndType, "x"), 2, 1, &a, &b);
err();
i: (:a,b)= sys::comfors(obj(), new(wchar_s, 2, 5), 2, 1, &a, &b);
err();
i: (:a,b)= sys::comfors(obj(), new(wchar_s, EndType, "1"), 0, 1, &a, &b);
err();
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: 1
// expect: i: 0
// expect: 1
// expect run error: sys::comfors
// expect stdout: 整数函数名：sys::comfors  错误代码：1
// expect stdout: 整数函数名：sys::comfors  错误代码：2
