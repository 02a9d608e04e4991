// The Rosenbrock function 100(y - x^2)^2 + (1 - x)^2, the classic test of a
// minimiser: a long curved valley whose floor leads slowly to the minimum 0
// at (1, 1).  opt::minimize starts from the point in a real64_s array and
// leaves the minimum there; the result is the least value, and status and
// the number of evaluations come back by reference.
// args: --load TmData32W.dll --load TmOpt32W.dll

rosenbrock(x, y)= 100*(y - x*x)^2 + (1 - x)^2;
// Six decimals are plenty to show where the minimiser ended.
:round6(v)= floor(v*1e6 + 0.5)/1e6;

// The default algorithm (Subplex), from the customary start (-1.2, 1).
(:p,f)= p=new(real64_s, EndType, -1.2, 1), f=opt::minimize("rosenbrock", p),
   printff("\r\nSubplex:     x = {1,r}, y = {2,r}", round6(get(p, 0)), round6(get(p, 1))),
   delete(p), f < 1e-12;
// expect: Subplex:     x = 1, y = 1
// expect: 1

// L-BFGS with numerical gradients gets there in far fewer evaluations; the
// status 1 or 4 says it converged (5 would mean the evaluation limit).
(:p,f,status,evals)= p=new(real64_s, EndType, -1.2, 1),
   f=opt::minimize("rosenbrock", p, opt::LBFGS, 0, 0, 1e-10, 0, 10000, &status, &evals),
   printff("\r\nL-BFGS:      x = {1,r}, y = {2,r}", round6(get(p, 0)), round6(get(p, 1))),
   delete(p), (status==1 | status==4) & evals < 1000 & f < 1e-10;
// expect: L-BFGS:      x = 1, y = 1
// expect: 1

// Nelder-Mead, told to stop once f changes by less than 1e-14.
(:p,f,status)= p=new(real64_s, EndType, -1.2, 1),
   f=opt::minimize("rosenbrock", p, opt::NELDERMEAD, 0, 0, 0, 1e-14, 10000, &status),
   printff("\r\nNelder-Mead: x = {1,r}, y = {2,r}", round6(get(p, 0)), round6(get(p, 1))),
   delete(p), status;
// expect: Nelder-Mead: x = 1, y = 1
// expect: 3
