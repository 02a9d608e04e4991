// "!" runs a formula once while compiling, ":" only defines it; formulas with
// parameters never run by themselves.
!1;
:2;
f(x)= x+1;
:g()= 10;
f(g());
// expect: 11
