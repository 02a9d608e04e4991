// Recursive formulas.  They take their frames from the shared value stacks,
// which tamrix sizes at start-up (--stack, 100000 slots by default).
fact(n)= which(n<=1, 1, n*fact(n-1));
fib(n)= which(n<2, n, fib(n-1)+fib(n-2));
i: gcd(a,b)= which(b==0, a, gcd(b, a%b));
// Ackermann's function grows faster than any loop can count.
i: ack(m,n)= which(m==0, n+1, n==0, ack(m-1, 1), ack(m-1, ack(m, n-1)));

fact(12);
fib(24);
i: gcd(1071, 462);
i: ack(2, 3);
// expect: 479001600
// expect: 46368
// expect: i: 21
// expect: i: 9
