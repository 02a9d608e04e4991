// A value the minimisation cannot stand on ends it at once: code 10 for a
// NaN, 11 for an infinity (either sign; for opt::fit also a sum of squares
// that overflows).  A run error the formula records itself ends it too,
// and that error is the one reported.  Either way the result is 0, the
// start array keeps its values, and status (-5, forced stop) and the
// evaluations made come back by reference.
// args: --load TmData32W.dll --load TmOpt32W.dll
// Finite inside the unit circle, NaN or infinite beyond it.
nan2(x, y)= which(x*x + y*y < 1, x + y, 0/0);
inf2(x, y)= which(x*x + y*y < 1, x + y, 1/0);
minf2(x, y)= which(x*x + y*y < 1, x + y, -1/0);
:start(::p)= if(p==0, p=new(real64_s, EndType, 0.1, 0.2)), p;
(:s,e)= opt::minimize("nan2", start(), opt::NELDERMEAD, 0, 0, 1e-8, 0, 1000, &s, &e),
   err()*1000 + s*10 + (e > 1);
// expect: 1951
(:s,e)= opt::minimize("inf2", start(), opt::COBYLA, 0, 0, 1e-8, 0, 1000, &s, &e),
   err()*1000 + s*10 + (e > 1);
// expect: 1951
(:s)= opt::minimize("minf2", start(), opt::LBFGS, 0, 0, 1e-8, 0, 1000, &s), err()*1000 + s*10;
// expect: 1950
get(start(), 0) + get(start(), 1);
// expect: 0.3
// In one dimension as well.
nan1(x)= which(x < 1, x, 0/0);
opt::brent("nan1", 0, 5), err();
// expect: 2
// A model that gives NaN, and one whose squares overflow.
mnan(x, a)= which(a < 3, a*x, 0/0);
mbig(x, a)= a*x*1e200;
(:p)= p=new(real64_s, EndType, 1), opt::fit("mnan", new(real64_s, EndType, 1, 2),
   new(real64_s, EndType, 10, 20), p, opt::NELDERMEAD), err();
(:p)= p=new(real64_s, EndType, 1), opt::fit("mbig", new(real64_s, EndType, 1, 2),
   new(real64_s, EndType, 1, 2), p), err();
// expect: 2
// expect: 2
// The formula's own error: max() without arguments records code 1 under
// "max", which stays the reported error.
bad(x, y)= which(x > 0.5, max(), x*x + y*y);
(:s)= opt::minimize("bad", new(real64_s, EndType, 0.7, 0.7), opt::SUBPLEX, 0, 0, 1e-8, 0, 1000,
   &s), s;
// expect: -5
// expect run error: max
// expect stdout: 实数函数名：opt::minimize  错误代码：10
// expect stdout: 实数函数名：opt::minimize  错误代码：11
// expect stdout: 实数函数名：opt::brent  错误代码：10
// expect stdout: 实数函数名：opt::fit  错误代码：10
// expect stdout: 实数函数名：opt::fit  错误代码：11
// expect stdout: 实数函数名：max  错误代码：1
