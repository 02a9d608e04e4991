// Recursive formulas use the shared value stacks, which the host sizes at
// start-up (--stack, 100000 slots by default).
fact(n)= which(n<=1, 1, n*fact(n-1));
fib(n)= which(n<2, n, fib(n-1)+fib(n-2));
fact(10);
// expect: 3628800
// 20! has 19 digits: the real prints its first 16.
fact(20);
// expect: 2.43290200817664e+18
fib(20);
// expect: 6765
i: gcd(a,b)= which(b==0, a, gcd(b, a%b));
i: gcd(1071, 462);
// expect: i: 21
// Several parameters through the recursion.
parity(n,want)= which(n==0, want==0, parity(n-1, 1-want));
parity(10, 0);
// expect: 1
