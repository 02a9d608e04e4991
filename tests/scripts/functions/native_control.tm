// Loops, branches and calls switch to native code after 2000 evaluations
// (here inside sum), in the middle of a run; nothing they compute may change
// when they do: loop counts, continue, recursion, by-reference write-back.
tri(n:i,s)=(s=0, i=0, while(i<fmod(n,7), i++, if(i==3, continue()), s=s+i), s);
sum("tri", 1, 3000, 1);
// expect: 18846
fib(n)=which(n<2, n, fib(n-1)+fib(n-2));
fibs(x)=fib(fmod(x,10))*0.5;
sum("fibs", 0, 2999, 1);
// expect: 13200
bump(x:t)=(t=x, until(t=t-1, t<x-3), x=t, x);
keep(x)=(bump(&x), x*2);
sum("keep", 1, 3000, 1);
// expect: 8979000
