// Built-ins and formulas called with the wrong number of arguments.
g(a, b)= a+b;
g(1);
// expect compile error 33 at 3:1-4
