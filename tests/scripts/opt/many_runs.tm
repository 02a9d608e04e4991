// 10^3 rounds of a minimisation, a fit and a one-dimensional search in one
// process, every hundredth with a run that ends in an error, leave nothing
// behind: the data
// objects are the ones the program keeps (the library keeps none of its
// own), and every run still gives its answer.  The sanitizer build checks
// that no memory is lost on any of these paths.
// args: --load TmData32W.dll --load TmOpt32W.dll
f(x, y)= (x - 1)^2 + (y + 1)^2;
g(x)= (x - 0.5)^2;
line(x, a, b)= a + b*x;
nan2(x, y)= which(x > 1.5, 0/0, x*x + y*y);
:xs(::u)= which(u==0, u=new(real64_s, EndType, 0, 1, 2), u);
:ys(::v)= which(v==0, v=new(real64_s, EndType, 1, 3, 5), v);
i: NowTMDNum(0);
// expect: i: 0
(:k,good,p,q)= xs(), ys(), good=0, k=0, while(k < 1000,
     p=new(real64_s, EndType, 0, 0), q=new(real64_s, EndType, 0, 0),
     good=good + (opt::minimize("f", p, 1 + fmod(k, 5), 0, 0, 1e-8) < 1e-10)
               + (abs(opt::brent("g", 0, 1) - 0.5) < 1e-6)
               + (opt::fit("line", xs(), ys(), q, opt::LBFGS) < 1e-8),
     if(fmod(k, 100)==0, opt::minimize("nan2", p, opt::NELDERMEAD), err()),
     delete(p), delete(q), k++),
   good;
// expect: 3000
// expect run error: opt::minimize
// expect stdout: 实数函数名：opt::minimize  错误代码：10
// NowTMDNum(0) counts them without listing them (" ... ..." says there
// are more than 0): the two data arrays.
i: NowTMDNum(0);
// expect:  ... ...
// expect: i: 2
