// Unary minus in complex formulas works part by part as 0 - z does: a zero
// part stays +0.  So -4 lies on the upper side of the cut along the negative
// reals, and roots and logarithms give their principal values, folded
// (constants) and at run time (variables) alike.
c: sqrt(-4);
// expect: c: 1.224646799147353e-16+2i
c: ln(-1);
// expect: c: 0+3.141592653589793i
c: (:z)= z=4, sqrt(-z);
// expect: c: 1.224646799147353e-16+2i
c: (:z)= z=1, ln(-z);
// expect: c: 0+3.141592653589793i
c: (-4)^0.5;
// expect: c: 1.224646799147353e-16+2i
// A zero real part stays +0 too.
c: -0;
// expect: c: 0
c: -(2i);
// expect: c: 0-2i
c: (:z)= z=2i, -z;
// expect: c: 0-2i
// Nonzero parts are negated as before.
c: -(3-4i);
// expect: c: -3+4i
c: (:z)= z=-1.5+2.5i, -z;
// expect: c: 1.5-2.5i
// Real and integer negation are unchanged: -0 is the real -0.
-0;
// expect: -0
(:x)= x=0, -x;
// expect: -0
i: -0;
// expect: i: 0
i: (:x)= x=-9223372036854775807-1, -x;
// expect: i: -9223372036854775808
