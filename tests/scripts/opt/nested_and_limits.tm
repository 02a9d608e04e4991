// A minimisation inside an objective: each evaluation of the outer one
// runs an inner one of its own (the formula is re-entered while it runs).
// The evaluation limit ends a run with status 5 and the best point so far,
// counting the evaluations the numerical gradient of L-BFGS makes.
// args: --load TmData32W.dll --load TmOpt32W.dll
:near(v, w, eps)= abs(v - w) <= eps;
inner(x, a)= (x - a)^2 + (a - 3)^2;
:fix(::aa)= aa;
:seta(a ::aa)= aa=a;
slice(x)= inner(x, fix());
// The least value over x, for a given a, is (a - 3)^2: least at a = 3.
profile(a :fm)= seta(a), opt::brent("slice", -100, 100, &fm), fm;
near(opt::brent("profile", -10, 10), 3, 1e-6);
// expect: 1
// opt::minimize re-entered from its own objective.
deep(x, y)= (x - 1)^2 + (y - 2)^2;
outer(t :p)= p=new(real64_s, EndType, t, t), opt::minimize("deep", p, opt::NELDERMEAD, 0, 0, 1e-10)
   + delete(p) + (t - 5)^2;
(:q)= q=new(real64_s, EndType, 0), opt::minimize("outer", q, opt::SUBPLEX, 0, 0, 1e-10) < 1e-12
   & near(get(q, 0), 5, 1e-5);
// expect: 1

// Limits: 20 evaluations, status 5, the best point so far in the array.
rosen(x, y)= 100*(y - x*x)^2 + (1 - x)^2;
(:p,f,s,e)= p=new(real64_s, EndType, -1.2, 1),
   f=opt::minimize("rosen", p, opt::NELDERMEAD, 0, 0, 0, 0, 20, &s, &e),
   s*100 + e + (f < 24.2) + (get(p, 0) + 1.2 != 0)*0.5;
// expect: 521.5
// L-BFGS in two dimensions takes 1 + 4 evaluations per step: 7 allowed
// means one step and a part of the next.
(:p,s,e)= p=new(real64_s, EndType, -1.2, 1),
   opt::minimize("rosen", p, opt::LBFGS, 0, 0, 0, 0, 7, &s, &e),
   s*100 + e;
// expect: 507
