// ":" defines without running, "!" runs once while compiling, a formula with
// parameters never runs by itself.
:1;
!2;
f(x)= x;
3;
// expect: 3
