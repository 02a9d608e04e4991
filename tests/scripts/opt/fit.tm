// opt::fit(model, xs, ys, p [, algorithm [, lower, upper [, rtol [, atol
// [, maxeval [, &status [, &evals]]]]]]]) fits the parameters p of
// model(x, p1, ..., pk) to the data by least squares and returns the least
// sum of squared residuals.  A line through exact data is found exactly
// (to the tolerance); bounds hold the parameters in.
// args: --load TmData32W.dll --load TmOpt32W.dll
:near(v, w, eps)= abs(v - w) <= eps;
:arr(a, b, c, d)= new(real64_s, EndType, a, b, c, d);
line(x, a, b)= a + b*x;
(:p,s,status)= p=new(real64_s, EndType, 0, 0),
   s=opt::fit("line", arr(0, 1, 2, 3), arr(1, 3, 5, 7), p, opt::LBFGS, 0, 0, 1e-12, 0, 0, &status),
   near(get(p, 0), 1, 1e-6) & near(get(p, 1), 2, 1e-6) & s < 1e-10 & status > 0;
// expect: 1
// The slope kept at or below 1.5: the best line under that bound.
(:p,lo,hi,s)= p=new(real64_s, EndType, 0, 0), lo=new(real64_s, EndType, -10, -10),
   hi=new(real64_s, EndType, 10, 1.5),
   s=opt::fit("line", arr(0, 1, 2, 3), arr(1, 3, 5, 7), p, opt::BOBYQA, lo, hi, 1e-12),
   near(get(p, 1), 1.5, 1e-9) & near(get(p, 0), 1.75, 1e-6) & near(s, 1.25, 1e-6);
// expect: 1
// By handle, with the default algorithm.
(:p)= p=new(real64_s, EndType, 0, 0),
   opt::fit(HFor("line"), arr(0, 1, 2, 3), arr(1, 3, 5, 7), p) < 1e-12;
// expect: 1

// Codes (each case shows 10 times the result plus err(), the error type
// 2): 1 argument count outside 4 to 12, 3 no such real formula, 4 a model
// without one parameter more than p has values, 5 data or p that is no
// real64_s array, 6 xs and ys of different lengths, 7 a NaN in the data,
// 8 an unknown algorithm, 9 a negative tolerance.
:data(::d)= if(d==0, d=arr(0, 1, 2, 3)), d;
:start(::p)= if(p==0, p=new(real64_s, EndType, 0, 0)), p;
opt::fit("line", data(), data())*10 + err();
opt::fit("none", data(), data(), start())*10 + err();
opt::fit("line", data(), data(), new(real64_s, EndType, 1))*10 + err();
opt::fit("line", data(), 3, start())*10 + err();
opt::fit("line", data(), new(real64_s, EndType, 1, 2), start())*10 + err();
opt::fit("line", data(), arr(1, 2, 0/0, 4), start())*10 + err();
opt::fit("line", data(), data(), start(), 17)*10 + err();
opt::fit("line", data(), data(), start(), 0, 0, 0, -1)*10 + err();
// expect: 2
// expect: 2
// expect: 2
// expect: 2
// expect: 2
// expect: 2
// expect: 2
// expect: 2
// p as it was.
get(start(), 0) + get(start(), 1);
// expect: 0
// expect run error: opt::fit
// expect stdout: 实数函数名：opt::fit  错误代码：1
// expect stdout: 实数函数名：opt::fit  错误代码：3
// expect stdout: 实数函数名：opt::fit  错误代码：4
// expect stdout: 实数函数名：opt::fit  错误代码：5
// expect stdout: 实数函数名：opt::fit  错误代码：6
// expect stdout: 实数函数名：opt::fit  错误代码：7
// expect stdout: 实数函数名：opt::fit  错误代码：8
// expect stdout: 实数函数名：opt::fit  错误代码：9
