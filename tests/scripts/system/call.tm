// sys::call calls a formula by the handle "HFor" gives.  The arguments are
// handed over in place, so by-reference parameters write back; the result
// lands in the last slot (two for a complex callee) bit for bit.
// args: --load TmData32W.dll --load TmSystem32W.dll
f(x)= x*x+1;
i: k(a,b)= a*b;
c: z(u)= u*(0+1i);
bump(x)= x=x+1, x*10;
r: (:r)= sys::call(2, HFor("f"), 3, &r), r;
// expect: 10
i: (:r)= sys::call(1, HFor("k"), 6, 7, &r)*1000 + r;
// expect: i: 1042
// A complex callee takes two slots per argument and two for the result:
// i*(2+3i) = -3+2i.
r: (:re,im)= sys::call(3, HFor("z", 3), 2, 3, &re, &im), re*100 + im;
// expect: -298
r: (:x,r)= x=4, sys::call(2, HFor("bump"), &x, &r), x*1000 + r;
// expect: 5050
// From integer formulas: the slots' bits go over unchanged.
i: (:r)= sys::call(1, HFor("k"), -3, 5, &r), r;
// expect: i: -15
// Wrong counts: 3 integer, 4 real, 5 complex callee; 1 fewer than three
// arguments; 2 a type other than 1 to 3; 6 a handle no formula has.
r: (:r)= sys::call(2, HFor("f"), 3, 4, &r);
err();
i: (:r)= sys::call(1, HFor("k"), 6, &r);
err();
r: (:re,im)= sys::call(3, HFor("z", 3), 2, &re, &im);
err();
r: sys::call(2, HFor("f"));
err();
r: (:r)= sys::call(4, HFor("f"), 3, &r);
err();
r: (:r)= sys::call(1, HFor("f"), 3, &r);
err();
i: (:r)= sys::call(2, 12345, 3, &r);
err();
// expect: 0
// expect: 2
// expect: i: 0
// expect: 1
// expect: 0
// expect: 2
// expect: 0
// expect: 2
// expect: 0
// expect: 2
// expect: 0
// expect: 2
// expect: i: 0
// expect: 1
// expect run error: sys::call
// expect stdout: 实数函数名：sys::call  错误代码：4
// expect stdout: 整数函数名：sys::call  错误代码：3
// expect stdout: 实数函数名：sys::call  错误代码：5
// expect stdout: 实数函数名：sys::call  错误代码：1
// expect stdout: 实数函数名：sys::call  错误代码：2
// expect stdout: 实数函数名：sys::call  错误代码：6
// expect stdout: 整数函数名：sys::call  错误代码：6
