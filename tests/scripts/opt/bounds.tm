// Every algorithm keeps to the bounds: the formula never sees a point
// outside them (it counts any it sees), even from a start outside the box
// (which is moved onto it) and for L-BFGS, whose numerical gradient steps
// one-sided at a bound.  A bound array may be 0 for none on that side, and
// a bound may be infinite.  The unconstrained minimum (3, -2, 5) lies
// outside; the constrained one is (1, -1, 2) with the least value 14.
// args: --load TmData32W.dll --load TmOpt32W.dll
:outside(::n)= n;
:count(::n)= n++;
:vec(a, b, c)= new(real64_s, EndType, a, b, c);
q(x, y, z)= if(x + 1 < 0 | x > 1 | y + 1 < 0 | z > 2, count()),
   (x - 3)^2 + (y + 2)^2 + (z - 5)^2;
:near(v, w)= abs(v - w) <= 1e-5;
try(algorithm :p,f)= p=vec(7, -9, 3),
   f=opt::minimize("q", p, algorithm, vec(-1, -1, -1/0), vec(1, 1/0, 2), 1e-12, 0, 20000),
   near(get(p, 0), 1) & near(get(p, 1), -1) & near(get(p, 2), 2) & near(f, 14);
try(opt::NELDERMEAD);
try(opt::SUBPLEX);
try(opt::BOBYQA);
try(opt::COBYLA);
try(opt::LBFGS);
outside();
// expect: 1
// expect: 1
// expect: 1
// expect: 1
// expect: 1
// expect: 0
// Only a lower bound (upper 0: none), and only an upper one.
(:p)= p=vec(5, 5, 5), opt::minimize("q", p, 0, vec(4, -1, 0), 0, 1e-12), near(get(p, 0), 4) &
   near(get(p, 1), -1) & near(get(p, 2), 5);
(:p)= p=vec(0, 0, 0), opt::minimize("q", p, opt::LBFGS, 0, vec(1, 1, 1), 1e-12),
   near(get(p, 0), 1) &
   near(get(p, 1), -2) & near(get(p, 2), 1);
// expect: 1
// expect: 1
// A variable whose bounds coincide stays where they put it.
(:p)= p=vec(0, 0, 0), opt::minimize("q", p, opt::LBFGS, vec(0.5, -1, 0), vec(0.5, 1, 2), 1e-12),
   get(p, 0) == 0.5 & near(get(p, 2), 2);
// expect: 1
