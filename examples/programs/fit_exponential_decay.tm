// Fitting an exponential decay y = A exp(-k t) to noisy data.  The data are
// made here: 40 samples of 5 exp(-0.7 t) at t = 0, 0.25, ..., 9.75, each
// with noise of up to +-0.05 from a small random generator.  opt::fit
// adjusts the model's parameters (A, k), held in a real64_s array, until
// the sum of squared residuals is least, and returns that sum.
// args: --load TmData32W.dll --load TmOpt32W.dll

// A Lehmer generator (16807 x mod 2^31 - 1, exact in doubles): the same
// noise on every run.
:uniform(::seed)= if(seed==0, seed=20261208), seed=fmod(seed*16807, 2147483647),
   seed/2147483647;
// The noise moves the fitted values in their second decimal: one decimal is
// what the data can tell.
:round1(v)= floor(v*10 + 0.5)/10;

// The model: the first parameter is the data's x, the others are fitted.
decay(t, A, k)= A*exp(-k*t);

(:t,y,p,i,ssr,status)= t=new(real64_s, 40), y=new(real64_s, 40),
   i=0, while(i<40, set(t, i, i/4), set(y, i, 5*exp(-0.7*i/4) + (uniform() - 0.5)/10), i++),
   p=new(real64_s, EndType, 1, 0.1),
   ssr=opt::fit("decay", t, y, p, opt::LBFGS, 0, 0, 1e-10, 0, 10000, &status),
   printff("\r\nA = {1,r,.6}, k = {2,r,.6}", round1(get(p, 0)), round1(get(p, 1))),
   // 40 residuals of up to 0.05 each: the sum of squares stays below 40 * 0.0025.
   printff("\r\nconverged: {1,r}, residuals small: {2,r}", status==1 | status==4, ssr < 0.1),
   delete(t), delete(y), delete(p);
// expect: A = 5, k = 0.7
// expect: converged: 1, residuals small: 1
// expect: 0
