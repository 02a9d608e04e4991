// A string literal is a number: the index of its text in the formula's
// string area.  ";" and "//" inside a string split and cut nothing.
("a;b") >= 0;
// expect: 1
("// not a comment", 7) - 7;
// expect: 0
/* "unbalanced quote inside a comment */ 5;
// expect: 5
"x" == "x";
// expect: 0
square(x)= x*x;
// A built-in that takes a formula by name reads the string.
SimpIntegrate(0, 3, 1e-12, "square");
// expect: 9
