// opt::brent(f, a, b [, &fmin [, tol [, maxeval [, &status [, &evals]]]]])
// gives the x in [a, b] where f is least, to within tol + sqrt(eps)|x|;
// the interval may come in either order, f by name or by "HFor" handle.
// Status 4 says the tolerance was met, 5 that the evaluation limit ended
// the search (the best point so far is the answer).
// args: --load TmData32W.dll --load TmOpt32W.dll
:near(v, w, eps)= abs(v - w) <= eps;
p(x)= (x - 2)^2 + 1;
(:fmin)= near(opt::brent("p", 0, 5, &fmin), 2, 1e-7) & fmin == 1;
(:fmin)= near(opt::brent("p", 5, 0, &fmin), 2, 1e-7) & fmin == 1;
near(opt::brent(HFor("p"), -10, 10), 2, 1e-7);
// expect: 1
// expect: 1
// expect: 1
// cos has its minimum -1 at pi within [2, 4].
c(x)= cos(x);
(:fmin,status,evals)=
   near(opt::brent("c", 2, 4, &fmin, 1e-12, 0, &status, &evals), 3.141592653589793, 1e-7)
   & fmin + 1 == 0 & status == 4 & evals > 3 & evals < 100;
// expect: 1
// A minimum at an end is reached to within the tolerance: never closer than
// tol/3 + sqrt(eps)|x| (2e-8 here) to the end itself.
up(x)= x;
(:fmin)= near(opt::brent("up", 1, 3, &fmin, 1e-9), 1, 1e-7) & near(fmin, 1, 1e-7);
// expect: 1
// Three evaluations allowed: status 5, three counted.
(:fmin,status,evals)= opt::brent("c", 2, 4, &fmin, 1e-12, 3, &status, &evals), status*10 + evals;
// expect: 53
// A formula that writes its parameter does not move the search.
w(x)= x = x + 100, (x - 102)^2;
near(opt::brent("w", 0, 5), 2, 1e-7);
// expect: 1

// Codes (each case shows 10 times the result plus err(), the error type
// 2): 1 argument count outside 3 to 8, 2 a name outside the caller's
// strings, 3 no such real formula, 4 a formula without exactly one
// parameter, 7 an end NaN or infinite or both ends equal, 9 a tolerance not
// above 0 or a negative limit.
two(x, y)= x + y;
opt::brent("p", 0)*10 + err();
opt::brent("p", 0, 1, 0, 1e-8, 10, 0, 0, 0)*10 + err();
opt::brent(99999, 0, 1)*10 + err();
opt::brent("missing", 0, 1)*10 + err();
opt::brent("two", 0, 1)*10 + err();
// expect: 2
// expect: 2
// expect: 2
// expect: 2
// expect: 2
opt::brent("p", 0/0, 1)*10 + err();
opt::brent("p", 0, 1/0)*10 + err();
opt::brent("p", 1, 1)*10 + err();
opt::brent("p", -1e308, 1e308)*10 + err();
// expect: 2
// expect: 2
// expect: 2
// expect: 2
(:m)= opt::brent("p", 0, 1, &m, 0)*10 + err();
(:m)= opt::brent("p", 0, 1, &m, -1)*10 + err();
(:m)= opt::brent("p", 0, 1, &m, 0/0)*10 + err();
(:m)= opt::brent("p", 0, 1, &m, 1e-8, -1)*10 + err();
// expect: 2
// expect: 2
// expect: 2
// expect: 2
// expect run error: opt::brent
// expect stdout: 实数函数名：opt::brent  错误代码：1
// expect stdout: 实数函数名：opt::brent  错误代码：2
// expect stdout: 实数函数名：opt::brent  错误代码：3
// expect stdout: 实数函数名：opt::brent  错误代码：4
// expect stdout: 实数函数名：opt::brent  错误代码：7
// expect stdout: 实数函数名：opt::brent  错误代码：9
