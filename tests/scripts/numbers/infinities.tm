// Division by zero and logarithms of zero are not errors for reals: they
// give infinities, printed as inf.
(:x)= x=0, 1/x;
// expect: inf
(:x)= x=0, -1/x;
// expect: -inf
(:x)= x=0, ln(x);
// expect: -inf
(:x)= x=1e308, x*10;
// expect: inf
