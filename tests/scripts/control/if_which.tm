// if runs its arguments when the condition holds and is 0 itself; which
// yields the value after the first true condition, or its default.
(:x)= x=1, if(x>0, x=5), x;
// expect: 5
(:x)= x=1, if(x<0, x=5), x;
// expect: 1
if(1, 2);
// expect: 0
which(0, 1, 1, 2, 3);
// expect: 2
which(0, 1, 0, 2, 3);
// expect: 3
signum(x)= which(x>0, 1, x<0, -1, 0);
signum(-4) + 10*signum(9) + 100*signum(0);
// expect: 9
(1|0) + (1&0)*10 + (!0)*100;
// expect: 101
