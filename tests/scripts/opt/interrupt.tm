// An interrupt recorded from another thread (here tamrix's --time-limit,
// as Ctrl-C or the editor's run monitor do) stops a long minimisation
// promptly: the evaluation under way ends, the minimiser is stopped at
// once, the result is 0 and the start array keeps its values.  Without the
// interrupt this run would take minutes.  The formulas after it still run.
// args: --time-limit 0.3 --load TmData32W.dll --load TmOpt32W.dll
:busy(:k)= k=0, while(k<100000, k++), 0;
heavy(a, b, c, d, e, f, g, h)= busy() + a*a + b*b + c*c + d*d + e*e + f*f + g*g + h*h;
:start(::p)= if(p==0, p=new(real64_s, EndType, 1, 2, 3, 4, 5, 6, 7, 8)), p;
1;
(:s,e)= opt::minimize("heavy", start(), opt::COBYLA, 0, 0, 1e-15, 0, 1e12, &s, &e), s;
get(start(), 7);
// expect: 1
// expect: -5
// expect: 8
// expect run error: tamrix：运行时间超过了 --time-limit。
// expect stderr: interrupted after the time limit of 0.3 s
