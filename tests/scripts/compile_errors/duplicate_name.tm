// Two formulas of one name in one module.
f(x)= x;
f(y)= y;
// expect compile error 29 at 3:1
