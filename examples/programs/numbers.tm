// The three number types: real by default, "i:" integer, "c:" complex, or
// "integer:" / "complex:" / "real:" for everything that follows.
integer:
9223372036854775807 + 1;      // 64-bit integers wrap around
(:a,b)= a=1000000007, b=998244353, a*b % 2147483647;
shl(1, 40);

complex:
(3+4i)*(3-4i);
exp(1i*3.141592653589793/2);
// Iterate z := z^2 + c from 0; a point of the Mandelbrot set stays small.
(:z,c,k)= z=0, c=-0.5+0.5i, k=0, while(k<100, z=z*z+c, k++), abs(z) < 2;

real:
(2^0.5)^2;
// expect: i: -9223372036854775808
// expect: i: 2010103280
// expect: i: 1099511627776
// expect: c: 25
// expect: c: 6.123233995736766e-17+1i
// expect: c: 1
// expect: 2
