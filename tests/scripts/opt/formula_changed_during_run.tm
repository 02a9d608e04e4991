// Formulas deleted or recompiled while they are minimised.  The kernel
// never frees a running formula, so the run can always finish safely:
// - the objective recompiles a formula it calls: the objective is thereby
//   invalidated, its next evaluation records the kernel's run error for a
//   formula whose callee was deleted ("父表达式被删除！", type 4), and the
//   minimisation ends there with 0;
// - the objective deletes the formula object that holds it: the deletion
//   waits until the formula is idle, the run finishes on it, and the
//   formula is gone afterwards;
// - a handle of a formula deleted before the call names no formula: code 3.
// args: --load TmData32W.dll --load TmSystem32W.dll --load TmOpt32W.dll
i: :holder(::o)= which(o==0, o=new(sys::tmfor), o);
i: !(:a,b)= sys::comfor(holder(), "g(x)= (x - 1)^2", 2, 1, &a, &b);
i: :recompile(:a,b)= sys::comfor(holder(), "g(x)= (x - 2)^2", 2, 1, &a, &b);
:calls(::n)= n++;
f(x, y)= if(calls()==5, recompile()), g(x) + y*y;
(:p,s,e)= p=new(real64_s, EndType, 3, 3), opt::minimize("f", p, 0, 0, 0, 1e-8, 0, 0, &s, &e),
   printff("\r\nstatus {1,r}, {2,r} evaluations, start kept: {3,r}", s, e, get(p, 0)==3), 0;
// expect: status -5, 6 evaluations, start kept: 1
// expect: 0
err();
// expect: 4
// The new g is there and can be minimised.
opt::brent("g", 0, 5) - 2 < 1e-6;
// expect: 1

// An objective that deletes its own formula object.
i: :own(::w)= which(w==0, w=new(sys::tmfor), w);
i: !(:a,b)= sys::comfor(own(), "h(x)= delete(own()), (x - 4)^2", 2, 1, &a, &b);
abs(opt::brent("h", 0, 10) - 4) < 1e-6;
// expect: 1
i: sys::testtmfor(own());
// expect: i: 0

// A handle kept from before the formula was recompiled.
(:old)= old=HFor("g"), recompile(), opt::brent(old, 0, 5)*10 + err();
// expect: 2
// expect run error: opt::brent
// expect stdout: 实数函数名：opt::brent  错误代码：3
