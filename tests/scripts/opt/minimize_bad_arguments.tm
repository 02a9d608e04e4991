// opt::minimize refuses what it cannot work with, each with its code, and
// returns 0 with the start array untouched: 1 an argument count outside 2
// to 10 (or a lower bound without its upper one), 2 a name outside the
// calling formula's strings, 3 no such real formula, 4 a formula whose
// parameters are not as many as the start's values, 5 a start or bound
// that is no real64_s array, 6 bounds of another length, 7 a start value or
// bound that is NaN or infinite, or a lower bound above its upper one, 8 an
// unknown algorithm, 9 a tolerance or limit that is NaN or negative, or
// none at all to end the run.  Each case shows 10 times the result plus
// err(), which prints the report and gives its type: 2.
// args: --load TmData32W.dll --load TmOpt32W.dll
f(x,y)= x*x + y*y;
one(x)= x*x;
i: k(a,b)= a*b;
:start(::p)= if(p==0, p=new(real64_s, EndType, 1, 2)), p;
:pair(a, b)= new(real64_s, EndType, a, b);
opt::minimize("f")*10 + err();
opt::minimize("f", start(), 0, 0, 0, 0, 0, 0, 0, 0, 0)*10 + err();
opt::minimize("f", start(), 0, pair(0, 0))*10 + err();
// expect: 2
// expect: 2
// expect: 2
opt::minimize(100000, start())*10 + err();
opt::minimize("nothing", start())*10 + err();
opt::minimize("k", start())*10 + err();
opt::minimize("one", start())*10 + err();
// expect: 2
// expect: 2
// expect: 2
// expect: 2
opt::minimize("f", 7)*10 + err();
opt::minimize("f", new(int32_s, 2))*10 + err();
opt::minimize("f", new(real64, 1))*10 + err();
opt::minimize("f", start(), 0, 5, 0)*10 + err();
// expect: 2
// expect: 2
// expect: 2
// expect: 2
opt::minimize("f", start(), 0, new(real64_s, EndType, 0), 0)*10 + err();
// expect: 2
opt::minimize("f", pair(0/0, 1))*10 + err();
opt::minimize("f", pair(1, 1/0))*10 + err();
opt::minimize("f", start(), 0, pair(0, 0/0), 0)*10 + err();
opt::minimize("f", start(), 0, pair(0, 3), pair(2, 2))*10 + err();
// expect: 2
// expect: 2
// expect: 2
// expect: 2
opt::minimize("f", start(), 6)*10 + err();
opt::minimize("f", start(), -1)*10 + err();
opt::minimize("f", start(), 0/0)*10 + err();
// expect: 2
// expect: 2
// expect: 2
opt::minimize("f", start(), 0, 0, 0, -1)*10 + err();
opt::minimize("f", start(), 0, 0, 0, 1e-8, 0/0)*10 + err();
opt::minimize("f", start(), 0, 0, 0, 1e-8, 0, -5)*10 + err();
opt::minimize("f", start(), 0, 0, 0, 0, 0, 0)*10 + err();
// expect: 2
// expect: 2
// expect: 2
// expect: 2
// Nothing touched the start.
get(start(), 0)*10 + get(start(), 1);
// expect: 12
// expect run error: opt::minimize
// expect stdout: 实数函数名：opt::minimize  错误代码：1
// expect stdout: 实数函数名：opt::minimize  错误代码：2
// expect stdout: 实数函数名：opt::minimize  错误代码：3
// expect stdout: 实数函数名：opt::minimize  错误代码：4
// expect stdout: 实数函数名：opt::minimize  错误代码：5
// expect stdout: 实数函数名：opt::minimize  错误代码：6
// expect stdout: 实数函数名：opt::minimize  错误代码：7
// expect stdout: 实数函数名：opt::minimize  错误代码：8
// expect stdout: 实数函数名：opt::minimize  错误代码：9
