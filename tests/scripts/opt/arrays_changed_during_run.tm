// The library works on copies of its arrays, so a formula that changes or
// deletes them while it is minimised cannot disturb the run.  The result
// goes back into the start array only if it still is a real64_s array of
// the same length: deleted (or replaced by something else) it is code 12.
// args: --load TmData32W.dll --load TmOpt32W.dll
:start(::p)= p;
:make(::p)= p=new(real64_s, EndType, 3, 4);
// Writes over the start array on every call: the run goes on regardless.
scribble(x, y)= set(start(), 0, 1000), set(start(), 1, -1000), (x - 1)^2 + (y - 2)^2;
(:p)= make(), opt::minimize("scribble", start(), 0, 0, 0, 1e-12) < 1e-12 &
   abs(get(start(), 0) - 1) < 1e-6 & abs(get(start(), 1) - 2) < 1e-6;
// expect: 1
// Deletes the start array at its first call.
:gone(::done)= if(done==0, done=1, delete(start())), 0;
vanish(x, y)= gone(), (x - 1)^2 + (y - 2)^2;
opt::minimize("vanish", make())*10 + err();
// expect: 2
// The data of a fit, deleted at the first call: the fit still uses them.
:xs(::u)= which(u==0, u=new(real64_s, EndType, 0, 1, 2), u);
:ys(::v)= which(v==0, v=new(real64_s, EndType, 1, 3, 5), v);
:drop(::done)= if(done==0, done=1, delete(xs()), delete(ys())), 0;
line(x, a, b)= drop(), a + b*x;
(:p)= p=new(real64_s, EndType, 0, 0),
   opt::fit("line", xs(), ys(), p, opt::LBFGS, 0, 0, 1e-12) < 1e-10
   & abs(get(p, 1) - 2) < 1e-6;
// expect: 1
// expect run error: opt::minimize
// expect stdout: 实数函数名：opt::minimize  错误代码：12
