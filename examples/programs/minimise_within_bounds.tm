// A minimum on a bound.  The paraboloid (x - 3)^2 + (y + 1)^2 + x*y is least
// at (-4.667, 3.333) when x and y may go anywhere; kept within the box
// 0 <= x <= 2, 0 <= y <= 2 its least value lies on the edge y = 0, at
// x = 2: there the slope in x, 2(x - 3) + y = -2, still points outwards,
// and the slope in y, 2(y + 1) + x = 4, pushes y against its lower bound.
// The bounds are two real64_s arrays; every algorithm keeps to them, and
// the formula never sees a point outside the box.
// args: --load TmData32W.dll --load TmOpt32W.dll

bowl(x, y)= (x - 3)^2 + (y + 1)^2 + x*y;
:round6(v)= floor(v*1e6 + 0.5)/1e6;

// Each algorithm from the middle of the box prints where it ended; the
// least value, (2 - 3)^2 + (0 + 1)^2 + 2*0 = 2, is the result.
solve(algorithm :p,lo,hi,f)= p=new(real64_s, EndType, 1, 1),
   lo=new(real64_s, EndType, 0, 0), hi=new(real64_s, EndType, 2, 2),
   f=opt::minimize("bowl", p, algorithm, lo, hi, 1e-12),
   printff("x = {1,r}, y = {2,r}, least value:", round6(get(p, 0)), round6(get(p, 1))),
   delete(p), delete(lo), delete(hi), round6(f);
printff("\r\nNelder-Mead  "), solve(opt::NELDERMEAD);
printff("\r\nSubplex      "), solve(opt::SUBPLEX);
printff("\r\nBOBYQA       "), solve(opt::BOBYQA);
printff("\r\nCOBYLA       "), solve(opt::COBYLA);
printff("\r\nL-BFGS       "), solve(opt::LBFGS);
// expect: Nelder-Mead  x = 2, y = 0, least value:
// expect: 2
// expect: Subplex      x = 2, y = 0, least value:
// expect: 2
// expect: BOBYQA       x = 2, y = 0, least value:
// expect: 2
// expect: COBYLA       x = 2, y = 0, least value:
// expect: 2
// expect: L-BFGS       x = 2, y = 0, least value:
// expect: 2

// In one dimension, Brent's method on an interval: x^2 - 4x is least at
// x = 2, outside [3, 5], so the minimum is 3 - 9 = -3 at the left end
// (to within the tolerance).  fmin comes back by reference.
g(x)= x*x - 4*x;
(:x,fmin)= x=opt::brent("g", 3, 5, &fmin), printff("\r\nbrent: least value {1,r} at",
   round6(fmin)), round6(x);
// expect: brent: least value -3 at
// expect: 3
